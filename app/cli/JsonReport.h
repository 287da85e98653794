// The report for programs (--format json): one JSON object a line on standard output.
#pragma once

#include "app/cli/ConsoleOutput.h"
#include "app/cli/ServerResult.h"

#include <string>
#include <string_view>

namespace cli {

// One server's objects: each database, each further session not opened, the summary.
class JsonReport {
public:
    JsonReport(ConsoleOutput& output, std::string server);

    void database(const update::DatabaseResult& result);
    void sessionNotOpened(const update::Failure& why);
    void summary(const ServerResult& result, int exitStatus);

private:
    ConsoleOutput& output_;
    const std::string server_;
};

// The object that closes every report.
void jsonTotal(ConsoleOutput& output, const Totals& total, int exitStatus);

// The configuration file that gave the address, before the run.
void jsonConfigurationFile(ConsoleOutput& output, const std::string& file, bool fileExists,
                           const std::string& server);

}  // namespace cli
