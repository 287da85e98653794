// Runs the calendar update on one or more servers, each in its own sessions, several at once.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/Terminal.h"

#include <atomic>
#include <string>
#include <vector>

namespace cli {

// How every server is updated; the defaults of data::Connection and update::RunOptions
// where the command line says nothing.
struct RunSettings {
    bool trialRun = false;
    ReportFormat format = ReportFormat::Text;
    unsigned connectTimeout = 0;
    unsigned answerTimeout = 0;
    unsigned batch = 1;
    unsigned sessions = 1;
    bool tls = false;
    std::string tlsCaFile;
    const std::atomic<bool>* stop = nullptr;
};

RunSettings runSettingsOf(const CommandLine& commandLine, const Terminal& terminal);

// Updates each of `hosts` (UTF-8), at most `parallel` at a time, and reports each one as
// it goes; a failure on one server never stops or changes the work on another. The
// results are in the order of `hosts`.
std::vector<ServerResult> updateServers(const Terminal& terminal, ConsoleOutput& output,
                                        const std::vector<std::string>& hosts, unsigned parallel,
                                        const RunSettings& settings);

// One server's exit status.
int exitStatusOf(const ServerResult& result);

}  // namespace cli
