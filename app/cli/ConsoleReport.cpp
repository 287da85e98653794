// Writing the run's lines to the terminal or wherever the output goes.
#include "app/cli/ConsoleReport.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/JsonText.h"
#include "platform/ConsoleText.h"
#include "update/Texts.h"

namespace cli {

namespace {

// Back to the line's start and erase it, so that the next line replaces the progress.
constexpr char kEraseLine[] = "\r\x1b[K";

std::string endName(update::RunEnd end)
{
    switch (end) {
    case update::RunEnd::NoConnection: return "no-connection";
    case update::RunEnd::ListUnreadable: return "list-unreadable";
    case update::RunEnd::SessionLost: return "session-lost";
    case update::RunEnd::Interrupted: return "interrupted";
    case update::RunEnd::SameServer: return "same-server";
    case update::RunEnd::Completed: break;
    }
    return "completed";
}

std::string errorJson(const update::Failure& why)
{
    JsonObject error;
    if (why.number)
        error.number("number", *why.number);
    return error.text("text", why.text).str();
}

std::string summaryText(const update::RunOutcome& outcome)
{
    return fill(texts::kSummary, {groupedDigits(outcome.listed), groupedDigits(outcome.updated),
                                  groupedDigits(outcome.skipped + outcome.listedAgain),
                                  groupedDigits(outcome.unknown.size()), groupedDigits(outcome.notReached())});
}

}  // namespace

std::string groupedDigits(std::size_t number)
{
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ' ';
        out += digits[i];
    }
    return out;
}

bool ServerResult::nothingWritten() const
{
    return !trialRun && outcome.end == update::RunEnd::Completed && outcome.updated == 0 && outcome.alreadyPresent == 0;
}

ConsoleOutput::ConsoleOutput(std::FILE* out, std::FILE* err, bool showProgress)
    : out_(out), err_(err), showProgress_(showProgress)
{
}

void ConsoleOutput::write(std::FILE* stream, const std::string& line)
{
    const std::lock_guard<std::mutex> guard(lock_);
    writeLocked(stream, line);
}

void ConsoleOutput::writeVisited(std::FILE* stream, const std::string& line)
{
    const std::lock_guard<std::mutex> guard(lock_);
    writeLocked(stream, line);
    ++visited_;
    if (!showProgress_ || !terminal_)
        return;
    // A terminal shows it; a file or a pipe never gets it.
    const std::string progress =
        terminal_->message(fill(texts::kProgress, {groupedDigits(visited_), groupedDigits(listed_)}));
    platform::writeText(err_, kEraseLine + progress);
    progressShown_ = true;
}

void ConsoleOutput::listed(std::size_t count)
{
    const std::lock_guard<std::mutex> guard(lock_);
    listed_ += count;
}

bool ConsoleOutput::allWritten() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return allWritten_;
}

void ConsoleOutput::writeLocked(std::FILE* stream, const std::string& line)
{
    clearProgress();
    const bool written = platform::writeText(stream, line + '\n');
    allWritten_ = allWritten_ && written;
}

void ConsoleOutput::clearProgress()
{
    if (!progressShown_)
        return;
    platform::writeText(err_, kEraseLine);
    progressShown_ = false;
}

ConsoleReport::ConsoleReport(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             std::string server, bool prefixLines)
    : terminal_(terminal),
      output_(output),
      format_(format),
      server_(std::move(server)),
      prefix_(prefixLines ? fill(texts::kServerPrefix, {terminal.verbatim(server_)}) : std::string())
{
}

std::string ConsoleReport::failureText(const update::Failure& why) const
{
    const std::string text = terminal_.verbatim(why.text);
    return why.number ? fill(texts::kServerError, {text, std::to_string(*why.number)}) : text;
}

void ConsoleReport::listRead(std::size_t count)
{
    output_.listed(count);
}

void ConsoleReport::databaseUpdated(std::string_view name)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseUpdated, {terminal_.verbatim(name)})));
    databaseJson(name, "updated");
}

void ConsoleReport::databaseSkipped(std::string_view name, const update::Failure& why)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseSkipped, {terminal_.verbatim(name), failureText(why)})));
    databaseJson(name, "skipped", &why);
}

void ConsoleReport::databaseListedAgain(std::string_view name)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseListedAgain, {terminal_.verbatim(name)})));
    databaseJson(name, "listed-again");
}

void ConsoleReport::databaseUnknown(std::string_view name, const update::Failure& why)
{
    databaseLine(terminal_.message(fill(texts::kDatabaseUnknown, {terminal_.verbatim(name), failureText(why)})));
    databaseJson(name, "unknown", &why);
}

void ConsoleReport::statementKeptBack(std::string_view name, std::string_view statement)
{
    // The statement as built, its closing ';' included, escaped like every name on the
    // console: for reading, not for a client (a backslash shows as two). The JSON report
    // carries it exactly.
    databaseLine(terminal_.verbatim(statement));
    databaseJson(name, "dry-run", nullptr, statement);
}

void ConsoleReport::databaseNotReached(std::string_view name)
{
    // Only the machine-readable report lists them; the summary counts them for a person.
    databaseJson(name, "not-reached");
}

void ConsoleReport::sessionNotOpened(const update::Failure& why)
{
    diagnostic(fill(texts::kFurtherSessionFailed, {texts::kProgramName, terminal_.verbatim(server_), failureText(why)}));
    if (format_ != ReportFormat::Json)
        return;
    output_.write(output_.out(), JsonObject()
                                     .text("type", "session")
                                     .text("server", server_)
                                     .text("outcome", "not-opened")
                                     .raw("error", errorJson(why))
                                     .str());
}

void ConsoleReport::finished(const ServerResult& result, int exitStatus)
{
    const update::RunOutcome& outcome = result.outcome;
    const std::string server = terminal_.verbatim(server_);
    const std::string why = outcome.failure ? failureText(*outcome.failure) : std::string();
    switch (outcome.end) {
    case update::RunEnd::NoConnection:
        diagnostic(fill(texts::kConnectFailed, {texts::kProgramName, server, why}));
        break;
    case update::RunEnd::ListUnreadable: diagnostic(fill(texts::kListFailed, {texts::kProgramName, server, why})); break;
    case update::RunEnd::SessionLost: diagnostic(fill(texts::kSessionLost, {texts::kProgramName, server, why})); break;
    case update::RunEnd::Interrupted: diagnostic(fill(texts::kInterrupted, {texts::kProgramName, server})); break;
    case update::RunEnd::SameServer:
        diagnostic(fill(texts::kSameServer, {texts::kProgramName, server, terminal_.verbatim(outcome.sameServerAs)}));
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
    summaryJson(result, exitStatus);
}

// `line` is ready for the terminal.
void ConsoleReport::databaseLine(const std::string& line)
{
    // With --format json the standard output is the program's; a person reads the error output.
    std::FILE* stream = format_ == ReportFormat::Json ? output_.err() : output_.out();
    output_.writeVisited(stream, prefix_ + line);
}

void ConsoleReport::databaseJson(std::string_view name, std::string_view outcome, const update::Failure* why,
                                 std::string_view statement)
{
    if (format_ != ReportFormat::Json)
        return;
    JsonObject object;
    object.text("type", "database").text("server", server_).text("database", name).text("outcome", outcome);
    if (why)
        object.raw("error", errorJson(*why));
    if (!statement.empty())
        object.text("statement", statement);
    output_.write(output_.out(), object.str());
}

void ConsoleReport::diagnostic(const std::string& utf8)
{
    output_.write(output_.err(), terminal_.message(utf8));
}

void ConsoleReport::summaryJson(const ServerResult& result, int exitStatus)
{
    if (format_ != ReportFormat::Json)
        return;
    const update::RunOutcome& outcome = result.outcome;
    JsonObject object;
    object.text("type", "summary")
        .text("server", server_)
        .text("end", endName(outcome.end))
        .number("listed", outcome.listed)
        .number("updated", outcome.updated)
        .number("skipped", outcome.skipped)
        .number("listedAgain", outcome.listedAgain)
        .number("unknown", outcome.unknown.size())
        .number("notReached", outcome.notReached())
        .number("dryRun", outcome.keptBack)
        .boolean("nothingWritten", result.nothingWritten())
        .number("exitStatus", static_cast<std::uint64_t>(exitStatus));
    if (outcome.failure)
        object.raw("error", errorJson(*outcome.failure));
    if (outcome.end == update::RunEnd::SameServer)
        object.text("sameServerAs", outcome.sameServerAs);
    output_.write(output_.out(), object.str());
}

void reportTotal(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                 const std::vector<ServerResult>& results, int exitStatus)
{
    // Each count as the servers' summaries give it, summed.
    update::RunOutcome total;
    std::size_t notConnected = 0;
    std::size_t unknown = 0;
    std::size_t notReached = 0;
    for (const ServerResult& result : results) {
        const update::RunOutcome& outcome = result.outcome;
        total.listed += outcome.listed;
        total.updated += outcome.updated;
        total.skipped += outcome.skipped;
        total.listedAgain += outcome.listedAgain;
        total.keptBack += outcome.keptBack;
        unknown += outcome.unknown.size();
        notReached += outcome.notReached();
        // A second address of a server already updated connects to nothing new.
        notConnected += outcome.end == update::RunEnd::NoConnection || outcome.end == update::RunEnd::SameServer ? 1 : 0;
    }
    if (results.size() > 1) {
        // The person's line, like each server's, counts a name listed again as passed over.
        output.write(output.err(),
                     terminal.message(fill(texts::kTotalSummary,
                                           {groupedDigits(results.size()), groupedDigits(notConnected),
                                            groupedDigits(total.listed), groupedDigits(total.updated),
                                            groupedDigits(total.skipped + total.listedAgain), groupedDigits(unknown),
                                            groupedDigits(notReached)})));
    }
    if (format != ReportFormat::Json)
        return;
    output.write(output.out(), JsonObject()
                                   .text("type", "total")
                                   .number("servers", results.size())
                                   .number("notConnected", notConnected)
                                   .number("listed", total.listed)
                                   .number("updated", total.updated)
                                   .number("skipped", total.skipped)
                                   .number("listedAgain", total.listedAgain)
                                   .number("unknown", unknown)
                                   .number("notReached", notReached)
                                   .number("dryRun", total.keptBack)
                                   .number("exitStatus", static_cast<std::uint64_t>(exitStatus))
                                   .str());
}

void reportConfigurationFile(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             const std::string& file, bool fileExists, const std::string& server)
{
    output.write(output.err(),
                 terminal.message(fill(fileExists ? texts::kConfigurationRead : texts::kConfigurationAbsent,
                                       {terminal.path(file), terminal.path(server)})));
    if (format != ReportFormat::Json)
        return;
    output.write(output.out(), JsonObject()
                                   .text("type", "configuration")
                                   .text("file", file)
                                   .boolean("fileExists", fileExists)
                                   .text("server", server)
                                   .str());
}

}  // namespace cli
