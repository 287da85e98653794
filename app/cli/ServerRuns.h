// Runs the calendar update on one or more servers, each in its own sessions, several at once.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ServerResult.h"
#include "app/cli/Terminal.h"

#include <string>
#include <vector>

namespace cli {

// The command line's settings with the certificate authority's file as UTF-8.
RunSettings runSettingsOf(const CommandLine& commandLine, const Terminal& terminal);

// Updates each of `hosts` (UTF-8), at most `parallel` at a time, and reports each one as
// it goes; a failure on one server never stops or changes the work on another. The
// results are in the order of `hosts`.
std::vector<ServerResult> updateServers(const Terminal& terminal, ConsoleOutput& output,
                                        const std::vector<std::string>& hosts, unsigned parallel,
                                        const RunSettings& settings);

}  // namespace cli
