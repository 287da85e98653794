// Reporting the run's steps as lines in the terminal's encoding.
#include "app/cli/ConsoleWindow.h"

#include "app/cli/ConsoleTexts.h"
#include "platform/CodePage.h"
#include "update/Texts.h"

namespace cli {

namespace {

// Back to the line's start and erase it, so that the next line replaces the progress.
constexpr char kEraseLine[] = "\r\x1b[K";

void writeLine(std::FILE* stream, const std::string& bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fputc('\n', stream);
}

}  // namespace

ConsoleWindow::ConsoleWindow(Options options, TerminalText& terminal, std::FILE* out, std::FILE* err)
    : options_(std::move(options)), terminal_(terminal), out_(out), err_(err)
{
}

void ConsoleWindow::showNotice(std::string_view text, std::string_view caption)
{
    lastNotice_ = text;
    const QString notice = platform::fromWindows1250(text);
    if (caption == update::kNoticeCaptionOk)
        printDiagnostic(notice);
    else
        printDiagnostic(QString::fromUtf8(texts::kErrorNotice).arg(platform::fromWindows1250(caption), notice));
}

void ConsoleWindow::connectFailed(std::string_view reason)
{
    printDiagnostic(QString::fromUtf8(texts::kConnectFailed)
                        .arg(platform::fromWindows1250(options_.host), platform::fromWindows1250(reason)));
}

void ConsoleWindow::databaseUpdated(std::string_view name)
{
    ++updated_;
    printReport(QString::fromUtf8(texts::kDatabaseUpdated).arg(platform::fromWindows1250(name)));
    visited();
}

void ConsoleWindow::databaseSkipped(std::string_view name, std::string_view reason)
{
    ++skipped_;
    printReport(QString::fromUtf8(texts::kDatabaseSkipped)
                    .arg(platform::fromWindows1250(name), platform::fromWindows1250(reason)));
    visited();
}

bool ConsoleWindow::approveStatement(std::string_view, std::string_view statement)
{
    if (!options_.trialRun)
        return true;
    ++keptBack_;
    printReport(platform::fromWindows1250(statement));
    visited();
    return false;
}

void ConsoleWindow::printSummary()
{
    if (options_.trialRun)
        printDiagnostic(QString::fromUtf8(texts::kTrialSummary).arg(visitedCount()).arg(keptBack_));
    else
        printDiagnostic(QString::fromUtf8(texts::kSummary).arg(visitedCount()).arg(updated_).arg(skipped_));
}

ExitStatus ConsoleWindow::exitStatus() const
{
    if (lastNotice_ == update::kNoticeConnectFailed)
        return kExitNoConnection;
    if (ended_ && lastNotice_ == update::kNoticeDone)
        return kExitCompleted;
    return kExitRunBroken;  // the list was unreadable or the session was lost
}

void ConsoleWindow::printReport(const QString& line)
{
    clearProgress();
    writeLine(out_, terminal_.fromUnicode(line));
}

void ConsoleWindow::printDiagnostic(const QString& line)
{
    clearProgress();
    std::fflush(out_);  // keeps the order when both streams go to the same place
    writeLine(err_, terminal_.fromUnicode(line));
}

// Redraws the progress line after each database; a terminal shows it, a file never gets it.
void ConsoleWindow::visited()
{
    if (!options_.showProgress)
        return;
    std::fflush(out_);
    const std::string progress =
        terminal_.fromUnicode(QString::fromUtf8(texts::kProgress).arg(visitedCount()));
    std::fputs(kEraseLine, err_);
    std::fwrite(progress.data(), 1, progress.size(), err_);
    std::fflush(err_);
    progressShown_ = true;
}

void ConsoleWindow::clearProgress()
{
    if (!progressShown_)
        return;
    std::fputs(kEraseLine, err_);
    progressShown_ = false;
}

}  // namespace cli
