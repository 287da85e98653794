// Each event of the run told to the human report and, when asked for, the JSON one.
#include "app/cli/ConsoleReport.h"

namespace cli {

ConsoleReport::ConsoleReport(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             std::string server, bool prefixLines)
    : output_(output),
      // With --format json the standard output is the program's; a person reads the error output.
      text_(terminal, output, format == ReportFormat::Json, server, prefixLines)
{
    if (format == ReportFormat::Json)
        json_.emplace(output, std::move(server));
}

void ConsoleReport::listRead(std::size_t count)
{
    output_.listed(count);
}

void ConsoleReport::database(const update::DatabaseResult& result)
{
    text_.database(result);
    if (json_)
        json_->database(result);
}

void ConsoleReport::sessionNotOpened(const update::Failure& why)
{
    text_.sessionNotOpened(why);
    if (json_)
        json_->sessionNotOpened(why);
}

void ConsoleReport::finished(const ServerResult& result, int exitStatus)
{
    text_.finished(result);
    if (json_)
        json_->summary(result, exitStatus);
}

void reportTotal(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                 const std::vector<ServerResult>& results, int exitStatus)
{
    const Totals total = totalsOf(results);
    if (results.size() > 1)
        textTotal(terminal, output, total);
    if (format == ReportFormat::Json)
        jsonTotal(output, total, exitStatus);
}

void reportConfigurationFile(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             const std::string& file, bool fileExists, const std::string& server)
{
    textConfigurationFile(terminal, output, file, fileExists, server);
    if (format == ReportFormat::Json)
        jsonConfigurationFile(output, file, fileExists, server);
}

}  // namespace cli
