// The console program's course: the command line, the servers, the runs, the total.
#include "app/cli/ConsoleProgram.h"

#include "app/cli/CatchAll.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/HelpAndVersion.h"
#include "app/cli/InstalledConfiguration.h"
#include "app/cli/ServerRuns.h"
#include "app/cli/ServersToUpdate.h"
#include "app/cli/StandardDescriptors.h"
#include "app/cli/StopSignal.h"
#include "app/cli/Terminal.h"
#include "app/cli/TerminalDetection.h"
#include "platform/CodePage.h"
#include "platform/OpenFiles.h"

#include <clocale>
#include <cstdio>
#include <optional>
#include <variant>

namespace cli {

namespace {

// Every server's run, reported line by line, then the total.
int runUpdates(const Terminal& terminal, const CommandLine& commandLine, const ServerList& servers)
{
    const std::vector<std::string>& hosts = servers.hosts;
    const std::optional<ConfigurationRead>& configuration = servers.configuration;
    ConsoleOutput output(stdout, stderr, takesProgressLine(stderr));
    output.setTerminal(terminal);
    if (configuration) {
        reportConfigurationFile(terminal, output, commandLine.run.format, configuration->file,
                                configuration->fileExists, hosts.front());
    }
    RunSettings settings = runSettingsOf(commandLine, terminal);
    settings.stop = &stopRequested();
    // Every server's first session stays open until the end (ServerRuns).
    platform::raiseOpenFilesLimit();
    const std::vector<ServerResult> results = updateServers(terminal, output, hosts, settings.parallel, settings);

    int status = overallStatus(results);
    if (stopRequested().load())
        status = kExitBySignal + stopSignalNumber();
    reportTotal(terminal, output, commandLine.run.format, results, status);
    return finishedPrinting(output.allWritten(), terminal, status);
}

int run(const Terminal& terminal, const std::vector<std::string>& arguments)
{
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    const CommandLine commandLine = parseCommandLine({pointers.data(), pointers.size()});

    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp: return showHelp(terminal);
    case CommandLine::Action::ShowVersion: return showVersion(terminal);
    case CommandLine::Action::Wrong: return showWrongCommandLine(terminal, commandLine);
    case CommandLine::Action::Run: break;
    }

    if (const auto missing = platform::windows1250Unavailable()) {
        printLines(stderr, terminal, {fill(texts::kCodePageMissing, {texts::kProgramName, *missing})});
        return kExitCodePageMissing;
    }

    const auto servers = serversToUpdate(terminal, commandLine, installedConfigurationFile(), stderr);
    if (const int* failed = std::get_if<int>(&servers))
        return *failed;
    catchStopSignals();
    return runUpdates(terminal, commandLine, std::get<ServerList>(servers));
}

}  // namespace

int runConsoleProgram(const std::vector<std::string>& arguments)
{
    openClosedStandardDescriptors();
    std::setlocale(LC_ALL, "");
    const Terminal terminal;
    return statusCatchingEverything(stderr, terminal, [&] { return run(terminal, arguments); });
}

}  // namespace cli
