// One thread per server being updated, each with its own data module and report.
#include "app/cli/ServerRuns.h"

#include "data/uDM.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace cli {

namespace {

// The servers this command has reached, and the Galera clusters it updates, with the
// address of the run that reached each first. A server is this command's when its first
// session took the command's lock there (update::ServerProbe); a later session that finds
// that lock held learns the holder's connection id from the server itself, and is the
// same server as the run whose first session has that id on a server of the same
// identity (ids of different servers overlap; the identity only picks among those).
class ReachedServers {
public:
    update::ServerClaim claim(const update::ServerProbe& probe, const std::string& host)
    {
        std::unique_lock<std::mutex> guard(lock_);
        if (!probe.firstOfCommand)
            return {update::ServerClaim::Kind::SameServer, holderAddress(guard, probe)};
        servers_.push_back({probe.connectionId, probe.identity, host});
        claimed_.notify_all();
        if (probe.clusterUuid.empty() || !probe.clusterNodeWritable || !probe.runLockTaken || probe.replicating ||
            probe.readOnly)
            return {};
        const auto [cluster, first] = clusters_.emplace(probe.clusterUuid, host);
        if (first)
            return {};
        return {update::ServerClaim::Kind::SameCluster, cluster->second};
    }

private:
    struct Server {
        std::uint64_t connectionId;
        std::string identity;
        std::string host;
    };

    // The holder took the lock in the same statement that told its run who it is, and
    // that run enters the server here as soon as it has read the answer: wait for it,
    // bounded in case that run's session broke off between.
    std::string holderAddress(std::unique_lock<std::mutex>& guard, const update::ServerProbe& probe)
    {
        const auto sameHolder = [&](const Server& server) {
            return probe.commandLockHolder == server.connectionId;
        };
        const Server* found = nullptr;
        const auto find = [&] {
            for (const Server& server : servers_) {
                if (sameHolder(server) && (!found || server.identity == probe.identity))
                    found = &server;
            }
            return found != nullptr;
        };
        claimed_.wait_for(guard, std::chrono::seconds(30), find);
        return found ? found->host : std::string();
    }

    std::mutex lock_;
    std::condition_variable claimed_;
    std::vector<Server> servers_;
    std::map<std::string, std::string> clusters_;
};

// The first sessions of the servers this command reached: kept open until the whole
// command ends, so that their locks keep every later address of the same server, and
// every other run, off it (ServerProbe).
class HeldSessions {
public:
    void keep(std::unique_ptr<TDM> dm)
    {
        const std::lock_guard<std::mutex> guard(lock_);
        held_.push_back(std::move(dm));
    }

private:
    std::mutex lock_;
    std::vector<std::unique_ptr<TDM>> held_;
};

// The command's other addresses, in the order given: where a lost Galera node's run may go on.
std::vector<std::string> otherHosts(const std::vector<std::string>& hosts, const std::string& host)
{
    std::vector<std::string> others;
    for (const std::string& other : hosts) {
        if (other != host)
            others.push_back(other);
    }
    return others;
}

ServerResult updateServer(const Terminal& terminal, ConsoleOutput& output, const std::vector<std::string>& hosts,
                          const std::string& host, bool prefixLines, const RunSettings& settings, const std::string& commandLock,
                          ReachedServers& reached, HeldSessions& held)
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

    auto dm = std::make_unique<TDM>();
    data::ConnectionSettings& connection = dm->conMain.settings;
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
    options.commandLock = commandLock;
    options.takeOverHosts = otherHosts(hosts, host);
    options.claimServer = [&](const update::ServerProbe& probe) { return reached.claim(probe, host); };
    try {
        result.outcome = update::runCalendarUpdate(*dm, host, report, options);
    } catch (const std::exception& error) {
        // This server's failure, not the others'.
        result.outcome = update::failedInItself(error);
    }
    // A session that found the server this command's already holds no lock of its own.
    if (dm->conMain.connected() && result.outcome.end != update::RunEnd::SameServer)
        held.keep(std::move(dm));
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
    HeldSessions held;
    const std::string commandLock = update::newCommandLockName();
    // Nothing thrown leaves a worker's thread; a server whose report could not even be
    // made still counts as failed.
    const auto work = [&]() noexcept {
        for (std::size_t i = nextHost++; i < hosts.size(); i = nextHost++) {
            try {
                results[i] = updateServer(terminal, output, hosts, hosts[i], prefixLines, settings, commandLock, reached, held);
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
