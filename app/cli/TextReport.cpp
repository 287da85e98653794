// The human lines of the report, on standard output and the error output.
#include "app/cli/TextReport.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/OutcomeNames.h"
#include "update/Texts.h"

namespace cli {

namespace {

// The outcomes' counts, in the table's order; together they make the databases listed.
std::string outcomeCounts(const std::array<std::size_t, update::kDatabaseOutcomes>& counts, bool dryRun)
{
    std::string text;
    for (const OutcomeNames& names : kOutcomeNames) {
        const std::size_t count = counts[static_cast<std::size_t>(names.outcome)];
        const bool named = dryRun ? names.outcome == update::DatabaseOutcome::DryRun : names.inEverySummary;
        if (count != 0 || named)
            text += fill(texts::kOutcomeCount, {names.summaryWords, groupedDigits(count)});
    }
    return text;
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

void TextReport::database(const update::DatabaseResult& result)
{
    if (result.outcome == update::DatabaseOutcome::DryRun) {
        // The statement as built, its closing ';' included, escaped like every name on the
        // console: for reading, not for a client (a backslash shows as two). The JSON
        // report carries it exactly.
        databaseLine(terminal_.escaped(result.statement));
        return;
    }
    const std::string_view line = namesOf(result.outcome).line;
    if (line.empty())
        return;
    const std::string why = result.why ? failureText(*result.why) : std::string();
    databaseLine(terminal_.message(fill(line, {terminal_.escaped(result.name), why})));
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
    case update::RunEnd::SessionLost:
        diagnostic(fill(texts::kSessionLost, {texts::kProgramName, server, why}));
        if (!outcome.takenOverBy.empty())
            diagnostic(fill(texts::kTakenOver, {texts::kProgramName, server, terminal_.escaped(outcome.takenOverBy)}));
        break;
    case update::RunEnd::Interrupted: diagnostic(fill(texts::kInterrupted, {texts::kProgramName, server})); break;
    case update::RunEnd::SameServer:
        diagnostic(fill(texts::kSameServer, {texts::kProgramName, server, terminal_.escaped(outcome.sameServerAs)}));
        break;
    case update::RunEnd::SameCluster:
        diagnostic(fill(texts::kSameCluster, {texts::kProgramName, server, terminal_.escaped(outcome.sameServerAs)}));
        break;
    case update::RunEnd::AnotherRun:
        diagnostic(outcome.otherRunConnection
                       ? fill(texts::kAnotherRun, {texts::kProgramName, server, std::to_string(*outcome.otherRunConnection)})
                       : fill(texts::kAnotherRunUnknown, {texts::kProgramName, server}));
        break;
    case update::RunEnd::Replica: diagnostic(fill(texts::kReplica, {texts::kProgramName, server})); break;
    case update::RunEnd::ReadOnly: diagnostic(fill(texts::kReadOnly, {texts::kProgramName, server})); break;
    case update::RunEnd::NodeNotWritable:
        diagnostic(fill(texts::kNodeNotWritable, {texts::kProgramName, server, terminal_.escaped(outcome.nodeState)}));
        break;
    case update::RunEnd::Completed:
        if (result.dryRun)
            diagnostic(prefix_ + texts::kDryRunDone);
        else if (result.nothingWritten())
            diagnostic(fill(texts::kNothingWritten, {texts::kProgramName, server}));
        else
            diagnostic(prefix_ + std::string(update::kNoticeDone));
        break;
    }
    // Only a run that read its list has something to sum up.
    if (outcome.end == update::RunEnd::ListUnreadable || outcome.end == update::RunEnd::SessionLost ||
        outcome.end == update::RunEnd::Interrupted || outcome.end == update::RunEnd::Completed) {
        diagnostic(prefix_ + fill(texts::kSummary, {groupedDigits(outcome.listed), outcomeCounts(outcome.counts, result.dryRun)}));
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
    output.write(output.err(), terminal.message(fill(texts::kTotalSummary,
                                                     {groupedDigits(total.servers), groupedDigits(total.notConnected),
                                                      groupedDigits(total.listed),
                                                      outcomeCounts(total.counts, total.dryRun)})));
}

void textConfigurationFile(const Terminal& terminal, ConsoleOutput& output, const std::string& file,
                           bool fileExists, const std::string& server)
{
    output.write(output.err(),
                 terminal.message(fill(fileExists ? texts::kConfigurationRead : texts::kConfigurationAbsent,
                                       {terminal.path(file), terminal.path(server)})));
}

}  // namespace cli
