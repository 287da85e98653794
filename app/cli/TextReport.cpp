// The human lines of the report, on standard output and the error output.
#include "app/cli/TextReport.h"

#include "app/cli/ConsoleTexts.h"
#include "update/Texts.h"

namespace cli {

namespace {

std::string summaryText(const update::RunOutcome& outcome)
{
    // A name listed again counts with those passed over.
    return fill(texts::kSummary, {groupedDigits(outcome.listed), groupedDigits(outcome.updated),
                                  groupedDigits(outcome.skipped + outcome.listedAgain),
                                  groupedDigits(outcome.unknown.size()), groupedDigits(outcome.notReached())});
}

}  // namespace

TextReport::TextReport(const Terminal& terminal, ConsoleOutput& output, bool databasesToErrorOutput,
                       std::string server, bool prefixLines)
    : terminal_(terminal),
      output_(output),
      databaseStream_(databasesToErrorOutput ? output.err() : output.out()),
      server_(std::move(server)),
      prefix_(prefixLines ? fill(texts::kServerPrefix, {terminal.escaped(server_)}) : std::string())
{
}

std::string TextReport::failureText(const update::Failure& why) const
{
    const std::string text = terminal_.escaped(why.text);
    return why.number ? fill(texts::kServerError, {text, std::to_string(*why.number)}) : text;
}

void TextReport::updated(std::string_view name)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseUpdated, {terminal_.escaped(name)})));
}

void TextReport::skipped(std::string_view name, const update::Failure& why)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseSkipped, {terminal_.escaped(name), failureText(why)})));
}

void TextReport::listedAgain(std::string_view name)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseListedAgain, {terminal_.escaped(name)})));
}

void TextReport::unknown(std::string_view name, const update::Failure& why)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseUnknown, {terminal_.escaped(name), failureText(why)})));
}

void TextReport::keptBack(std::string_view statement)
{
    // The statement as built, its closing ';' included, escaped like every name on the
    // console: for reading, not for a client (a backslash shows as two). The JSON report
    // carries it exactly.
    databaseLine(terminal_.escaped(statement));
}

void TextReport::sessionNotOpened(const update::Failure& why)
{
    diagnostic(fill(texts::kFurtherSessionFailed, {texts::kProgramName, terminal_.escaped(server_), failureText(why)}));
}

void TextReport::finished(const ServerResult& result)
{
    const update::RunOutcome& outcome = result.outcome;
    const std::string server = terminal_.escaped(server_);
    const std::string why = outcome.failure ? failureText(*outcome.failure) : std::string();
    switch (outcome.end) {
    case update::RunEnd::NoConnection:
        diagnostic(fill(texts::kConnectFailed, {texts::kProgramName, server, why}));
        break;
    case update::RunEnd::ListUnreadable: diagnostic(fill(texts::kListFailed, {texts::kProgramName, server, why})); break;
    case update::RunEnd::SessionLost: diagnostic(fill(texts::kSessionLost, {texts::kProgramName, server, why})); break;
    case update::RunEnd::Interrupted: diagnostic(fill(texts::kInterrupted, {texts::kProgramName, server})); break;
    case update::RunEnd::SameServer:
        diagnostic(fill(texts::kSameServer, {texts::kProgramName, server, terminal_.escaped(outcome.sameServerAs)}));
        break;
    case update::RunEnd::Completed:
        if (result.trialRun)
            diagnostic(prefix_ + texts::kTrialDone);
        else if (result.nothingWritten())
            diagnostic(fill(texts::kNothingWritten, {texts::kProgramName, server}));
        else
            diagnostic(prefix_ + std::string(update::kNoticeDone));
        break;
    }
    if (outcome.end != update::RunEnd::NoConnection && outcome.end != update::RunEnd::SameServer) {
        diagnostic(prefix_ + (result.trialRun ? fill(texts::kTrialSummary, {groupedDigits(outcome.listed),
                                                                            groupedDigits(outcome.keptBack)})
                                              : summaryText(outcome)));
    }
}

void TextReport::databaseLine(const std::string& line)
{
    output_.writeVisited(databaseStream_, prefix_ + line);
}

void TextReport::diagnostic(const std::string& utf8)
{
    output_.write(output_.err(), terminal_.message(utf8));
}

void textTotal(const Terminal& terminal, ConsoleOutput& output, const Totals& total)
{
    // Like each server's summary, it counts a name listed again as passed over.
    output.write(output.err(), terminal.message(fill(
                                   texts::kTotalSummary,
                                   {groupedDigits(total.servers), groupedDigits(total.notConnected),
                                    groupedDigits(total.listed), groupedDigits(total.updated),
                                    groupedDigits(total.skipped + total.listedAgain), groupedDigits(total.unknown),
                                    groupedDigits(total.notReached)})));
}

void textConfigurationFile(const Terminal& terminal, ConsoleOutput& output, const std::string& file,
                           bool fileExists, const std::string& server)
{
    output.write(output.err(),
                 terminal.message(fill(fileExists ? texts::kConfigurationRead : texts::kConfigurationAbsent,
                                       {terminal.path(file), terminal.path(server)})));
}

}  // namespace cli
