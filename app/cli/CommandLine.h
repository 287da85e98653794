// The console program's command line: what to do, with which servers and how.
#pragma once

#include "data/Pipeline.h"

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cli {

enum class ReportFormat { Text, Json };

// How every server is updated. Without options: the window's session (one session, the
// statements streamed, no TLS), but with time limits.
struct RunSettings {
    // List and print each statement, send none.
    bool dryRun = false;
    ReportFormat format = ReportFormat::Text;
    // Seconds; 0 means no limit. A scheduled job must never wait forever, so both have limits.
    unsigned connectTimeout = 10;
    unsigned answerTimeout = 60;
    // Statements a session keeps unanswered (the pipeline's depth; 1 sends each after the
    // answer to the one before) and sessions per server. By default as many as a session
    // may keep in flight, so that the round trips overlap.
    unsigned batch = static_cast<unsigned>(data::kMostStatementsInFlight);
    unsigned sessions = 1;
    bool tls = false;
    // Empty: the system's certificate store.
    std::string tlsCaFile;
    // When it becomes true, every server stops after the round trips under way.
    const std::atomic<bool>* stop = nullptr;
};

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Wrong };

    Action action = Action::Run;
    // Bytes as given on the command line (the terminal's encoding); none given and no
    // hosts file: the address in the configuration file.
    std::vector<std::string> hosts;
    std::optional<std::string> hostsFile;
    // Another configuration file than the installed one.
    std::optional<std::string> configurationFile;
    // How each server is updated.
    RunSettings run;
    // Servers updated at the same time.
    unsigned parallel = 4;

    // For Action::Wrong: the message pattern (%1 the program, %2 the argument) and the
    // argument that is not understood, the option that lacks its value or the wrong value.
    std::string problemText;
    std::string wrongArgument;
};

// `arguments` without the program's own name.
CommandLine parseCommandLine(std::span<const char* const> arguments);

// The addresses in a hosts file's text: one a line, blanks around it dropped, '#' starting
// a comment, empty lines skipped.
std::vector<std::string> hostsInFile(std::string_view text);

}  // namespace cli
