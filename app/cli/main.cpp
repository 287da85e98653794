// The console program: reads the command line, runs the calendar update on each server, reports.
#include "app/InstalledPaths.h"
#include "app/cli/CatchAll.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/ServerRuns.h"
#include "app/cli/StopSignal.h"
#include "app/cli/Terminal.h"
#include "platform/CodePage.h"
#include "platform/ConsoleText.h"
#include "platform/FilePath.h"
#include "platform/SharedLibrary.h"
#include "platform/TextFile.h"
#include "platform/VirtualStore.h"
#include "update/Configuration.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
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

// Writes lines to `stream`; false when any of them could not be written.
bool printLines(std::FILE* stream, const cli::Terminal& terminal, std::initializer_list<std::string> lines)
{
    bool written = true;
    for (const std::string& line : lines)
        written = platform::writeText(stream, terminal.message(line) + '\n') && written;
    return written;
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
    const bool written = printLines(stdout, terminal, {fill(cli::texts::kHelp, {app::kInstalledConfigurationFile})});
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

// The configuration file that gave the address, for the report.
struct ConfigurationRead {
    std::string file;
    bool fileExists = false;
};

// The servers to update, each once, in the order given: --host, then --hosts-file; with
// neither, the address in the configuration file (then `configuration` says which file).
// A failure gives its exit status.
std::variant<std::vector<std::string>, int> serversToUpdate(const cli::Terminal& terminal,
                                                           const cli::CommandLine& commandLine,
                                                           std::optional<ConfigurationRead>& configuration)
{
    std::vector<std::string> hosts;
    for (const std::string& host : commandLine.hosts)
        hosts.push_back(terminal.argument(host));
    if (commandLine.hostsFile) {
        const std::string file = terminal.argument(*commandLine.hostsFile);
        // Decoded as Windows tools write text: PowerShell's ">" writes UTF-16LE with a mark.
        const platform::TextFile read = platform::readTextFile(platform::pathFromUtf8(file));
        if (read.problem) {
            printLines(stderr, terminal,
                       {fill(cli::texts::kHostsFileUnreadable,
                             {cli::texts::kProgramName, terminal.path(file), terminal.message(*read.problem)})});
            return cli::kExitHostsFileUnreadable;
        }
        const std::vector<std::string> listed = cli::hostsInFile(read.text);
        if (listed.empty()) {
            printLines(stderr, terminal,
                       {fill(cli::texts::kHostsFileEmpty, {cli::texts::kProgramName, terminal.path(file)})});
            return cli::kExitHostsFileUnreadable;
        }
        for (const std::string& host : listed)
            hosts.push_back(terminal.argument(host));
    }
    if (hosts.empty()) {
        const std::string file = commandLine.configurationFile ? terminal.argument(*commandLine.configurationFile)
                                                               : installedConfigurationFile();
        update::ConfiguredServer configured = update::readConfiguredServer(platform::pathFromUtf8(file));
        if (configured.unreadable) {
            printLines(stderr, terminal,
                       {fill(cli::texts::kConfigurationUnreadable,
                             {cli::texts::kProgramName, terminal.path(file), *configured.unreadable})});
            return cli::kExitConfigurationUnreadable;
        }
        // Only the installed file may be missing (the business application's default
        // then holds); a file the user names is one they expect to be read.
        if (configured.fileMissing && commandLine.configurationFile) {
            printLines(stderr, terminal,
                       {fill(cli::texts::kConfigurationMissing, {cli::texts::kProgramName, terminal.path(file)})});
            return cli::kExitConfigurationUnreadable;
        }
        configuration = ConfigurationRead{file, !configured.fileMissing};
        hosts.push_back(std::move(configured.address));
    }
    std::vector<std::string> once;
    for (std::string& host : hosts) {
        if (std::find(once.begin(), once.end(), host) == once.end())
            once.push_back(std::move(host));
    }
    return once;
}

// Every server's run, reported line by line, then the total.
int runUpdates(const cli::Terminal& terminal, const cli::CommandLine& commandLine,
               const std::vector<std::string>& hosts, const std::optional<ConfigurationRead>& configuration)
{
    cli::ConsoleOutput output(stdout, stderr, isTerminal(stderr));
    output.setTerminal(terminal);
    if (configuration) {
        cli::reportConfigurationFile(terminal, output, commandLine.run.format, configuration->file,
                                     configuration->fileExists, hosts.front());
    }
    cli::RunSettings settings = cli::runSettingsOf(commandLine, terminal);
    settings.stop = &cli::stopRequested();
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
        printLines(stderr, terminal, {fill(cli::texts::kCodePageMissing, {cli::texts::kProgramName, *missing})});
        return cli::kExitCodePageMissing;
    }

    std::optional<ConfigurationRead> configuration;
    auto hosts = serversToUpdate(terminal, commandLine, configuration);
    if (const int* failed = std::get_if<int>(&hosts))
        return *failed;
    cli::catchStopSignals();
    return runUpdates(terminal, commandLine, std::get<std::vector<std::string>>(hosts), configuration);
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
