// The report for a person: a line for each database, failures, the closing notice and the
// summary, in the terminal's encoding.
#pragma once

#include "app/cli/ConsoleOutput.h"
#include "app/cli/ServerResult.h"
#include "app/cli/Terminal.h"

#include <string>
#include <string_view>

namespace cli {

// One server's lines. With several servers each line starts with the server.
class TextReport {
public:
    // `databasesToErrorOutput`: the database lines go to the error output, where the
    // human report is when the standard output is the JSON one.
    TextReport(const Terminal& terminal, ConsoleOutput& output, bool databasesToErrorOutput, std::string server,
               bool prefixLines);

    void database(const update::DatabaseResult& result);
    void sessionNotOpened(const update::Failure& why);
    // The failure line, the closing notice and the summary.
    void finished(const ServerResult& result);

private:
    std::string failureText(const update::Failure& why) const;
    // `line` is ready for the terminal.
    void databaseLine(const std::string& line);
    void diagnostic(const std::string& utf8);

    const Terminal& terminal_;
    ConsoleOutput& output_;
    std::FILE* const databaseStream_;
    const std::string server_;
    const std::string prefix_;
};

// The closing line over several servers.
void textTotal(const Terminal& terminal, ConsoleOutput& output, const Totals& total);

// The configuration file that gave the address, before the run.
void textConfigurationFile(const Terminal& terminal, ConsoleOutput& output, const std::string& file,
                           bool fileExists, const std::string& server);

}  // namespace cli
