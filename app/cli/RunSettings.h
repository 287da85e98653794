// How every server of one command is updated: what the command line's options set.
#pragma once

#include <atomic>
#include <string>

namespace cli {

enum class ReportFormat { Text, Json };

// Without options: the window's session (one session, the statements streamed, no TLS),
// but with time limits. The numbers start at the option table's defaults.
struct RunSettings {
    RunSettings();

    // List and print each statement, send none.
    bool dryRun = false;
    ReportFormat format = ReportFormat::Text;
    // Seconds; 0 means no limit. A scheduled job must never wait forever, so both have limits.
    unsigned connectTimeout;
    unsigned answerTimeout;
    // Statements a session keeps unanswered (the pipeline's depth; 1 sends each after the
    // answer to the one before) and sessions per server.
    unsigned batch;
    unsigned sessions;
    // Servers updated at the same time.
    unsigned parallel;
    bool tls = false;
    // Empty: the system's certificate store.
    std::string tlsCaFile;
    // When it becomes true, every server stops after the round trips under way.
    const std::atomic<bool>* stop = nullptr;
};

}  // namespace cli
