// The console program: reads the command line, runs the calendar update once, reports.
#include "app/InstalledPaths.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/Terminal.h"
#include "data/uDM.h"
#include "platform/CodePage.h"
#include "update/CalendarUpdate.h"
#include "update/Configuration.h"
#include "update/Texts.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <clocale>
#include <cstdio>

namespace {

using cli::fill;

// A descriptor 0, 1 or 2 that the caller left closed would be taken by the first file
// or socket the program opens, and the report would be written into it.
void openClosedStandardDescriptors()
{
#if !defined(_WIN32)
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF)
            (void)open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    }
#endif
}

bool isTerminal(std::FILE* stream)
{
#if defined(_WIN32)
    return _isatty(_fileno(stream)) != 0;
#else
    if (isatty(fileno(stream)) != 1)
        return false;
    const char* term = std::getenv("TERM");
    return !(term && std::string_view(term) == "dumb");
#endif
}

// Writes lines to `stream`; false when any of them could not be written.
bool printLines(std::FILE* stream, const cli::Terminal& terminal, std::initializer_list<std::string> lines)
{
    bool written = true;
    for (const std::string& line : lines) {
        const std::string bytes = terminal.message(line) + '\n';
        written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && written;
    }
    return std::fflush(stream) == 0 && written;
}

int finishedPrinting(bool written, const cli::Terminal& terminal, int status)
{
    if (written)
        return status;
    printLines(stderr, terminal, {fill(cli::texts::kWriteFailed, {cli::texts::kProgramName})});
    return cli::kExitOutputFailed;
}

int showHelp(const cli::Terminal& terminal)
{
    const bool written = printLines(stdout, terminal, {cli::texts::kUsage,
                                                       fill(cli::texts::kHelp, {app::kInstalledConfigurationFile})});
    return finishedPrinting(written, terminal, cli::kExitCompleted);
}

int showVersion(const cli::Terminal& terminal)
{
    const bool written = printLines(stdout, terminal, {fill("%1 %2", {cli::texts::kProgramName, app::kVersion})});
    return finishedPrinting(written, terminal, cli::kExitCompleted);
}

int showWrongCommandLine(const cli::Terminal& terminal, const cli::CommandLine& commandLine)
{
    printLines(stderr, terminal,
               {fill(commandLine.problem, {cli::texts::kProgramName, terminal.argument(commandLine.wrongArgument)}),
                cli::texts::kUsage});
    return cli::kExitWrongCommandLine;
}

int exitStatusOf(update::RunEnd end)
{
    switch (end) {
    case update::RunEnd::NoConnection: return cli::kExitNoConnection;
    case update::RunEnd::ListUnreadable:
    case update::RunEnd::SessionLost: return cli::kExitRunBroken;
    case update::RunEnd::Completed: break;
    }
    return cli::kExitCompleted;
}

// The same run as the window program's, reported line by line.
int runUpdate(const cli::Terminal& terminal, const std::string& host, bool trialRun)
{
    TDM dm;
    cli::ConsoleReport report(terminal, stdout, stderr, isTerminal(stderr));
    if (const auto failure = update::connectToServer(dm, host)) {
        report.connectFailed(host, *failure);
        report.notice(update::kNoticeConnectFailed, update::kNoticeCaptionError);
        return finishedPrinting(report.allWritten(), terminal, cli::kExitNoConnection);
    }

    const update::RunOutcome outcome = update::updateEveryDatabase(dm, report, {.trialRun = trialRun});
    switch (outcome.end) {
    case update::RunEnd::ListUnreadable:
        report.listFailed(*outcome.failure);
        report.notice(update::kNoticeListUnreadable, update::kNoticeCaptionError);
        break;
    case update::RunEnd::SessionLost:
        report.notice(update::kNoticeSessionLost, update::kNoticeCaptionError);
        break;
    case update::RunEnd::NoConnection:
    case update::RunEnd::Completed:
        report.notice(trialRun ? cli::texts::kTrialDone : update::kNoticeDone, update::kNoticeCaptionOk);
        break;
    }
    report.summary(outcome, trialRun);
    return finishedPrinting(report.allWritten(), terminal, exitStatusOf(outcome.end));
}

}  // namespace

int main(int argc, char* argv[])
{
    openClosedStandardDescriptors();
    std::setlocale(LC_ALL, "");
#if defined(_WIN32)
    SetConsoleOutputCP(CP_UTF8);
#endif
    const cli::Terminal terminal;
    const cli::CommandLine commandLine =
        cli::parseCommandLine({const_cast<const char* const*>(argv) + 1, static_cast<size_t>(argc - 1)});

    switch (commandLine.action) {
    case cli::CommandLine::Action::ShowHelp: return showHelp(terminal);
    case cli::CommandLine::Action::ShowVersion: return showVersion(terminal);
    case cli::CommandLine::Action::Wrong: return showWrongCommandLine(terminal, commandLine);
    case cli::CommandLine::Action::Run: break;
    }

    if (const auto missing = platform::windows1250Unavailable()) {
        printLines(stderr, terminal, {fill(cli::texts::kCodePageMissing, {cli::texts::kProgramName, *missing})});
        return cli::kExitCodePageMissing;
    }

    std::string host;
    if (commandLine.host) {
        host = terminal.argument(*commandLine.host);
    } else {
        const std::string file = commandLine.configurationFile
                                     ? terminal.argument(*commandLine.configurationFile)
                                     : std::string(app::kInstalledConfigurationFile);
        update::ConfiguredServer configured = update::readConfiguredServer(std::filesystem::path(std::u8string(file.begin(), file.end())));
        if (configured.unreadable) {
            printLines(stderr, terminal,
                       {fill(cli::texts::kConfigurationUnreadable,
                             {cli::texts::kProgramName, terminal.verbatim(file), *configured.unreadable})});
            return cli::kExitConfigurationUnreadable;
        }
        host = std::move(configured.address);
    }
    return runUpdate(terminal, host, commandLine.trialRun);
}
