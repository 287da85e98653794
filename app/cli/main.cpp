// The console program: reads the command line, runs the calendar update once, reports.
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ConsoleWindow.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/TerminalText.h"
#include "data/uDM.h"
#include "update/CalendarUpdate.h"
#include "update/Configuration.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>

namespace {

void printLine(std::FILE* stream, cli::TerminalText& terminal, const QString& line)
{
    std::fputs((terminal.fromUnicode(line) + '\n').c_str(), stream);
}

int showHelp(cli::TerminalText& terminal)
{
    const QString configurationFile = QString::fromStdString(update::configurationFilePath().string());
    printLine(stdout, terminal, QString::fromUtf8(cli::texts::kUsage));
    printLine(stdout, terminal, QString::fromUtf8(cli::texts::kHelp).arg(configurationFile));
    return cli::kExitCompleted;
}

int showVersion(cli::TerminalText& terminal)
{
    printLine(stdout, terminal, QStringLiteral("%1 %2").arg(cli::texts::kProgramName, CALENDAR_IMPORT_VERSION));
    return cli::kExitCompleted;
}

int showWrongCommandLine(cli::TerminalText& terminal, const cli::CommandLine& commandLine)
{
    const QString argument = terminal.toUnicode(commandLine.wrongArgument);
    const char* problem = commandLine.valueMissing ? cli::texts::kValueMissing : cli::texts::kUnknownArgument;
    printLine(stderr, terminal, QString::fromUtf8(problem).arg(cli::texts::kProgramName, argument));
    printLine(stderr, terminal, QString::fromUtf8(cli::texts::kUsage));
    return cli::kExitWrongCommandLine;
}

// The same run as the window program's, with this console as its window.
int runUpdate(cli::TerminalText& terminal, const cli::CommandLine& commandLine)
{
    cli::ConsoleWindow::Options options;
    options.host = commandLine.host ? terminal.toWindows1250(*commandLine.host)
                                    : update::configuredServerAddress(update::configurationFilePath());
    options.trialRun = commandLine.trialRun;
    options.showProgress = isatty(STDERR_FILENO) == 1;

    TDM dm;
    cli::ConsoleWindow window(options, terminal, stdout, stderr);
    update::runCalendarUpdate(dm, window);
    if (window.exitStatus() != cli::kExitNoConnection)
        window.printSummary();
    return window.exitStatus();
}

}  // namespace

int main(int argc, char* argv[])
{
    std::setlocale(LC_ALL, "");
    cli::TerminalText terminal;
    const cli::CommandLine commandLine =
        cli::parseCommandLine({const_cast<const char* const*>(argv) + 1, static_cast<size_t>(argc - 1)});

    switch (commandLine.action) {
    case cli::CommandLine::Action::ShowHelp:
        return showHelp(terminal);
    case cli::CommandLine::Action::ShowVersion:
        return showVersion(terminal);
    case cli::CommandLine::Action::Wrong:
        return showWrongCommandLine(terminal, commandLine);
    case cli::CommandLine::Action::Run:
        break;
    }
    return runUpdate(terminal, commandLine);
}
