// One thread per server being updated, each with its own data module and report.
#include "app/cli/ServerRuns.h"

#include "data/uDM.h"

#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace cli {

namespace {

// The servers this command has reached, by what each said of itself, with the address of
// the run that reached it first: two addresses of one server make one update.
class ReachedServers {
public:
    // The address of the run that has this server already; none when this one is first.
    std::optional<std::string> claim(const update::ServerProbe& probe, const std::string& host)
    {
        const std::lock_guard<std::mutex> guard(lock_);
        const auto [entry, first] = servers_.emplace(probe.identity, host);
        if (first)
            return std::nullopt;
        return entry->second;
    }

private:
    std::mutex lock_;
    std::map<std::string, std::string> servers_;
};

ServerResult updateServer(const Terminal& terminal, ConsoleOutput& output, const std::string& host,
                          bool prefixLines, const RunSettings& settings, ReachedServers& reached)
{
    ConsoleReport report(terminal, output, settings.format, host, prefixLines);
    ServerResult result;
    result.dryRun = settings.dryRun;
    if (settings.stop && settings.stop->load()) {
        // Stopped before this server's turn came: nothing was sent to it.
        result.outcome.end = update::RunEnd::Interrupted;
        result.interrupted = true;
        report.finished(result, exitStatusOf(result));
        return result;
    }

    TDM dm;
    data::ConnectionSettings& connection = dm.conMain.settings;
    connection.ConnectTimeout = settings.connectTimeout;
    connection.AnswerTimeout = settings.answerTimeout;
    connection.RequireTls = settings.tls;
    connection.TlsCaFile = settings.tlsCaFile;
    update::RunOptions options;
    options.dryRun = settings.dryRun;
    // The pipeline's depth (data::streamStatements keeps it within what a session may have
    // unanswered).
    options.depth = settings.batch;
    options.sessions = settings.sessions;
    options.stop = settings.stop;
    // Only where there can be a second session or a second address; a single plain run
    // sends exactly what the window's run sends.
    options.identifyServer = prefixLines || settings.sessions > 1;
    if (prefixLines)
        options.claimServer = [&](const update::ServerProbe& probe) { return reached.claim(probe, host); };
    try {
        result.outcome = update::runCalendarUpdate(dm, host, report, options);
    } catch (const std::exception& error) {
        // This server's failure, not the others'.
        result.outcome = update::failedInItself(error);
    }
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
    ReachedServers reached;
    // Nothing thrown leaves a worker's thread; a server whose report could not even be
    // made still counts as failed.
    const auto work = [&]() noexcept {
        for (std::size_t i = nextHost++; i < hosts.size(); i = nextHost++) {
            try {
                results[i] = updateServer(terminal, output, hosts[i], prefixLines, settings, reached);
            } catch (const std::exception& error) {
                results[i].outcome = update::failedInItself(error);
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(parallel, hosts.size());
    {
        // Joined when the block ends, however it ends. A thread that cannot be started
        // leaves its servers to those that could.
        std::vector<std::jthread> workers;
        workers.reserve(threads);
        for (std::size_t i = 1; i < threads; ++i) {
            try {
                workers.emplace_back(work);
            } catch (const std::system_error&) {
                break;
            }
        }
        work();
    }
    return results;
}

}  // namespace cli
