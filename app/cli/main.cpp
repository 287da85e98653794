// The console program: reads the command line, runs the calendar update on each server, reports.
#include "app/InstalledPaths.h"
#include "app/cli/CatchAll.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/ServerRuns.h"
#include "app/cli/ServersToUpdate.h"
#include "app/cli/StopSignal.h"
#include "app/cli/Terminal.h"
#include "platform/CodePage.h"
#include "platform/OpenFiles.h"
#include "platform/ConsoleText.h"
#include "platform/SharedLibrary.h"
#include "platform/VirtualStore.h"

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
#include <filesystem>
#include <exception>
#include <optional>
#include <string>
#include <variant>
#include <vector>

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

int finishedPrinting(bool written, const cli::Terminal& terminal, int status)
{
    if (written)
        return status;
    cli::printLines(stderr, terminal, {fill(cli::texts::kWriteFailed, {cli::texts::kProgramName})});
    return cli::kExitOutputFailed;
}

int showHelp(const cli::Terminal& terminal)
{
    const bool written = cli::printLines(stdout, terminal, {fill(cli::texts::kHelp, {app::kInstalledConfigurationFile})});
    return finishedPrinting(written, terminal, cli::kExitCompleted);
}

int showVersion(const cli::Terminal& terminal)
{
    const bool written = cli::printLines(stdout, terminal, {fill("%1 %2", {cli::texts::kProgramName, app::kVersion})});
    return finishedPrinting(written, terminal, cli::kExitCompleted);
}

int showWrongCommandLine(const cli::Terminal& terminal, const cli::CommandLine& commandLine)
{
    cli::printLines(stderr, terminal,
               {fill(commandLine.problemText, {cli::texts::kProgramName, terminal.argument(commandLine.wrongArgument)}),
                cli::texts::kUsage});
    return cli::kExitWrongCommandLine;
}

// The installed configuration file, or on Windows the per-user copy that the business
// application reads in its place when it runs without administrator rights.
std::string installedConfigurationFile()
{
#if defined(_WIN32)
    return platform::fileReadByLegacyProgram(app::kInstalledConfigurationFile);
#else
    return app::kInstalledConfigurationFile;
#endif
}

// Every server's run, reported line by line, then the total.
int runUpdates(const cli::Terminal& terminal, const cli::CommandLine& commandLine, const cli::ServerList& servers)
{
    const std::vector<std::string>& hosts = servers.hosts;
    const std::optional<cli::ConfigurationRead>& configuration = servers.configuration;
    cli::ConsoleOutput output(stdout, stderr, isTerminal(stderr));
    output.setTerminal(terminal);
    if (configuration) {
        cli::reportConfigurationFile(terminal, output, commandLine.run.format, configuration->file,
                                     configuration->fileExists, hosts.front());
    }
    cli::RunSettings settings = cli::runSettingsOf(commandLine, terminal);
    settings.stop = &cli::stopRequested();
    // Every server's first session stays open until the end (ServerRuns).
    platform::raiseOpenFilesLimit();
    const std::vector<cli::ServerResult> results =
        cli::updateServers(terminal, output, hosts, commandLine.parallel, settings);

    int status = cli::overallStatus(results);
    if (cli::stopRequested().load())
        status = cli::kExitBySignal + cli::stopSignalNumber();
    cli::reportTotal(terminal, output, commandLine.run.format, results, status);
    return finishedPrinting(output.allWritten(), terminal, status);
}

// The program's work, from the command line's arguments (UTF-8 on Windows, the locale's
// bytes elsewhere) to the exit status.
int run(const cli::Terminal& terminal, const std::vector<std::string>& arguments)
{
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    const cli::CommandLine commandLine = cli::parseCommandLine({pointers.data(), pointers.size()});

    switch (commandLine.action) {
    case cli::CommandLine::Action::ShowHelp: return showHelp(terminal);
    case cli::CommandLine::Action::ShowVersion: return showVersion(terminal);
    case cli::CommandLine::Action::Wrong: return showWrongCommandLine(terminal, commandLine);
    case cli::CommandLine::Action::Run: break;
    }

    if (const auto missing = platform::windows1250Unavailable()) {
        cli::printLines(stderr, terminal, {fill(cli::texts::kCodePageMissing, {cli::texts::kProgramName, *missing})});
        return cli::kExitCodePageMissing;
    }

    const auto servers = cli::serversToUpdate(terminal, commandLine, installedConfigurationFile(), stderr);
    if (const int* failed = std::get_if<int>(&servers))
        return *failed;
    cli::catchStopSignals();
    return runUpdates(terminal, commandLine, std::get<cli::ServerList>(servers));
}

// The run with every exception caught: a failure in the program itself ends with one
// line and a status of its own, never with an abort whose status a script could take
// for one of the documented outcomes.
int runCatchingEverything(const std::vector<std::string>& arguments)
{
    openClosedStandardDescriptors();
    std::setlocale(LC_ALL, "");
    const cli::Terminal terminal;
    return cli::statusCatchingEverything(stderr, terminal, [&] { return run(terminal, arguments); });
}

}  // namespace

#if defined(_WIN32)
// The command line as Windows holds it, UTF-16, converted once to the program's UTF-8:
// the narrow argv would come in the system's code page and lose every letter it lacks.
int wmain(int argc, wchar_t* argv[])
{
    // Before anything can load a DLL: none from the current folder or PATH.
    platform::restrictLibrarySearch();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(platform::wideToUtf8(argv[i]));
    return runCatchingEverything(arguments);
}
#else
int main(int argc, char* argv[])
{
    return runCatchingEverything(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
