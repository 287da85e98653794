// The run as the console shows it: a line for each database, failures and a summary, for
// a person and, with --format json, for a program.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/JsonReport.h"
#include "app/cli/ServerResult.h"
#include "app/cli/Terminal.h"
#include "app/cli/TextReport.h"
#include "update/CalendarUpdate.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// The report of one server: the human one always, the JSON one with --format json.
class ConsoleReport : public update::RunObserver {
public:
    ConsoleReport(const Terminal& terminal, ConsoleOutput& output, ReportFormat format, std::string server,
                  bool prefixLines);

    void listRead(std::size_t count) override;
    void database(const update::DatabaseResult& result) override;
    void sessionNotOpened(const update::Failure& why) override;

    // The failure line, the closing notice and the summary.
    void finished(const ServerResult& result, int exitStatus);

private:
    ConsoleOutput& output_;
    TextReport text_;
    std::optional<JsonReport> json_;
};

// The closing line over several servers, and the JSON object that closes every report.
void reportTotal(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                 const std::vector<ServerResult>& results, int exitStatus);

// Before the run, when the server's address comes from the configuration file: the file
// read (on Windows perhaps the per-user copy of UAC's virtualisation), whether it was
// there, and the address it gave.
void reportConfigurationFile(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             const std::string& file, bool fileExists, const std::string& server);

}  // namespace cli
