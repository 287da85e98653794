// Writing the run's lines to the terminal or wherever the output goes.
#include "app/cli/ConsoleReport.h"

#include "app/cli/ConsoleTexts.h"
#include "update/Texts.h"

namespace cli {

namespace {

// Back to the line's start and erase it, so that the next line replaces the progress.
constexpr char kEraseLine[] = "\r\x1b[K";

}  // namespace

ConsoleReport::ConsoleReport(const Terminal& terminal, std::FILE* out, std::FILE* err, bool showProgress)
    : terminal_(terminal), out_(out), err_(err), showProgress_(showProgress)
{
}

std::string ConsoleReport::failureText(const update::Failure& why) const
{
    const std::string text = terminal_.verbatim(why.text);
    return why.number ? fill(texts::kServerError, {text, std::to_string(*why.number)}) : text;
}

void ConsoleReport::listRead(std::size_t count)
{
    listed_ = count;
}

void ConsoleReport::databaseUpdated(std::string_view name)
{
    report(terminal_.message(fill(texts::kDatabaseUpdated, {terminal_.verbatim(name)})));
    visited();
}

void ConsoleReport::databaseSkipped(std::string_view name, const update::Failure& why)
{
    report(terminal_.message(fill(texts::kDatabaseSkipped, {terminal_.verbatim(name), failureText(why)})));
    visited();
}

void ConsoleReport::databaseListedAgain(std::string_view name)
{
    report(terminal_.message(fill(texts::kDatabaseListedAgain, {terminal_.verbatim(name)})));
    visited();
}

void ConsoleReport::databaseUnknown(std::string_view name, const update::Failure& why)
{
    report(terminal_.message(fill(texts::kDatabaseUnknown, {terminal_.verbatim(name), failureText(why)})));
    visited();
}

void ConsoleReport::statementKeptBack(std::string_view, std::string_view statement)
{
    // The statement as built, its closing ';' included, so that the output can be fed
    // to a client as it stands.
    report(terminal_.verbatim(statement));
    visited();
}

void ConsoleReport::connectFailed(std::string_view host, const update::Failure& why)
{
    diagnostic(terminal_.message(fill(texts::kConnectFailed, {texts::kProgramName, terminal_.verbatim(host),
                                                              failureText(why)})));
}

void ConsoleReport::listFailed(const update::Failure& why)
{
    diagnostic(terminal_.message(fill(texts::kListFailed, {texts::kProgramName, failureText(why)})));
}

void ConsoleReport::notice(std::string_view text, std::string_view caption)
{
    if (caption == update::kNoticeCaptionOk)
        diagnostic(terminal_.message(text));
    else
        diagnostic(terminal_.message(fill(texts::kErrorNotice, {caption, text})));
}

void ConsoleReport::summary(const update::RunOutcome& outcome, bool trialRun)
{
    if (trialRun) {
        diagnostic(terminal_.message(
            fill(texts::kTrialSummary, {std::to_string(outcome.listed), std::to_string(outcome.keptBack)})));
        return;
    }
    diagnostic(terminal_.message(fill(
        texts::kSummary, {std::to_string(outcome.listed), std::to_string(outcome.updated),
                          std::to_string(outcome.skipped + outcome.listedAgain),
                          std::to_string(outcome.unknown ? 1 : 0), std::to_string(outcome.notReached())})));
}

void ConsoleReport::report(const std::string& line)
{
    clearProgress();
    write(out_, line);
}

void ConsoleReport::diagnostic(const std::string& line)
{
    clearProgress();
    write(err_, line);
}

void ConsoleReport::write(std::FILE* stream, const std::string& line)
{
    const bool written = std::fwrite(line.data(), 1, line.size(), stream) == line.size() &&
                         std::fputc('\n', stream) != EOF && std::fflush(stream) == 0;
    allWritten_ = allWritten_ && written;
}

// Redraws the progress line after each database; a terminal shows it, a file never gets it.
void ConsoleReport::visited()
{
    ++visited_;
    if (!showProgress_)
        return;
    const std::string progress =
        terminal_.message(fill(texts::kProgress, {std::to_string(visited_), std::to_string(listed_)}));
    std::fputs(kEraseLine, err_);
    std::fwrite(progress.data(), 1, progress.size(), err_);
    std::fflush(err_);
    progressShown_ = true;
}

void ConsoleReport::clearProgress()
{
    if (!progressShown_)
        return;
    std::fputs(kEraseLine, err_);
    progressShown_ = false;
}

}  // namespace cli
