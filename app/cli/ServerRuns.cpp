// One thread per server being updated, each with its own data module and report.
#include "app/cli/ServerRuns.h"

#include "app/cli/ExitStatus.h"
#include "data/uDM.h"

#include <thread>

namespace cli {

namespace {

ServerResult updateServer(const Terminal& terminal, ConsoleOutput& output, const std::string& host,
                          bool prefixLines, const RunSettings& settings)
{
    ConsoleReport report(terminal, output, settings.format, host, prefixLines);
    ServerResult result;
    result.trialRun = settings.trialRun;
    if (settings.stop && settings.stop->load()) {
        // Stopped before this server's turn came: nothing was sent to it.
        result.outcome.end = update::RunEnd::Interrupted;
        result.interrupted = true;
        report.finished(result, exitStatusOf(result));
        return result;
    }

    TDM dm;
    dm.conMain.ConnectTimeout = settings.connectTimeout;
    dm.conMain.AnswerTimeout = settings.answerTimeout;
    dm.conMain.MultiStatements = settings.batch > 1;
    dm.conMain.RequireTls = settings.tls;
    dm.conMain.TlsCaFile = settings.tlsCaFile;
    const update::RunOptions options{.trialRun = settings.trialRun,
                                     .batchSize = settings.batch,
                                     .sessions = settings.sessions,
                                     .stop = settings.stop};
    result.outcome = update::runCalendarUpdate(dm, host, report, options);
    result.alreadyPresent = report.alreadyPresent();
    result.interrupted = result.outcome.end == update::RunEnd::Interrupted;
    report.finished(result, exitStatusOf(result));
    return result;
}

}  // namespace

RunSettings runSettingsOf(const CommandLine& commandLine, const Terminal& terminal)
{
    RunSettings settings = commandLine.run;
    settings.tlsCaFile = terminal.argument(settings.tlsCaFile);
    return settings;
}

std::vector<ServerResult> updateServers(const Terminal& terminal, ConsoleOutput& output,
                                        const std::vector<std::string>& hosts, unsigned parallel,
                                        const RunSettings& settings)
{
    std::vector<ServerResult> results(hosts.size());
    const bool prefixLines = hosts.size() > 1;
    std::atomic<std::size_t> nextHost{0};
    const auto work = [&] {
        for (std::size_t i = nextHost++; i < hosts.size(); i = nextHost++)
            results[i] = updateServer(terminal, output, hosts[i], prefixLines, settings);
    };
    std::vector<std::thread> workers;
    const std::size_t threads = std::min<std::size_t>(parallel, hosts.size());
    for (std::size_t i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    return results;
}

int exitStatusOf(const ServerResult& result)
{
    switch (result.outcome.end) {
    case update::RunEnd::NoConnection: return kExitNoConnection;
    case update::RunEnd::ListUnreadable:
    case update::RunEnd::SessionLost: return kExitRunBroken;
    case update::RunEnd::Interrupted:
    case update::RunEnd::Completed: break;
    }
    return result.nothingWritten() ? kExitNothingWritten : kExitCompleted;
}

}  // namespace cli
