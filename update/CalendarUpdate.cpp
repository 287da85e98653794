// The run's steps in order: the login, the further sessions set off, the server's answer about
// itself, the list, the statements over every session.
#include "update/CalendarUpdate.h"

#include "data/Connection.h"
#include "data/uDM.h"
#include "update/CalendarStatement.h"
#include "update/FurtherSessions.h"
#include "update/NameQueue.h"
#include "update/RunTally.h"
#include "update/SessionSettings.h"
#include "update/SessionWorker.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <memory>

namespace update {

namespace {

// The whole list is on the client already; walking it does not talk to the server.
std::vector<std::string> listedNames(TDM& dm)
{
    std::vector<std::string> names;
    for (; !dm.qryTmp.eof(); dm.qryTmp.next())
        names.push_back(dm.qryTmp.firstColumnText());
    return names;
}

void showStatements(NameQueue& queue, RunTally& tally)
{
    while (const std::optional<std::string> name = queue.take()) {
        const std::string statement = calendarStatement(*name);
        tally.database({*name, DatabaseOutcome::DryRun, nullptr, statement});
    }
}

// How the further sessions reach the first one's server.
FirstSession firstSession(const data::Connection& first, const RunOptions& options)
{
    FirstSession session{first.settings, {}, options.identifyServer, options.commandLock};
    // Where the host name may stand for several servers, they connect to the one the
    // first reached. With TLS the certificate names the host, not its address: those
    // sessions connect by name and rely on the proof alone.
    if (options.identifyServer && !first.settings.RequireTls)
        session.address = first.peerAddress();
    return session;
}

RunOutcome endedAs(RunEnd end)
{
    RunOutcome outcome;
    outcome.end = end;
    return outcome;
}

// Whether the run may write to the server its probe describes; the end it comes to when
// not. In this order: a server this command has already is not its again; a server
// another run holds is left to that run; a replica, a read-only server and a Galera node
// that takes no writes are never written; a node of a cluster this command has is left to
// the node already in use.
std::optional<RunOutcome> refusedServer(const ServerProbe& probe, const RunOptions& options)
{
    ServerClaim claim;
    if (options.claimServer)
        claim = options.claimServer(probe);
    else if (!probe.firstOfCommand)
        claim.kind = ServerClaim::Kind::SameServer;
    if (claim.kind == ServerClaim::Kind::SameServer) {
        RunOutcome outcome = endedAs(RunEnd::SameServer);
        outcome.sameServerAs = std::move(claim.address);
        return outcome;
    }
    if (!probe.runLockTaken) {
        RunOutcome outcome = endedAs(RunEnd::AnotherRun);
        outcome.otherRunConnection = probe.runLockHolder;
        return outcome;
    }
    if (probe.replicating)
        return endedAs(RunEnd::Replica);
    if (probe.readOnly)
        return endedAs(RunEnd::ReadOnly);
    if (!probe.clusterUuid.empty() && !probe.clusterNodeWritable) {
        RunOutcome outcome = endedAs(RunEnd::NodeNotWritable);
        outcome.nodeState = probe.clusterNodeState;
        return outcome;
    }
    if (claim.kind == ServerClaim::Kind::SameCluster) {
        RunOutcome outcome = endedAs(RunEnd::SameCluster);
        outcome.sameServerAs = std::move(claim.address);
        return outcome;
    }
    return std::nullopt;
}

// The cluster's nodes as "host:port", sorted: every node of one cluster lists the same.
std::vector<std::pair<std::string, std::int32_t>> sortedNodes(const std::string& addresses)
{
    std::vector<std::pair<std::string, std::int32_t>> nodes;
    std::size_t start = 0;
    while (start < addresses.size()) {
        std::size_t end = addresses.find(',', start);
        if (end == std::string::npos)
            end = addresses.size();
        const std::string node = addresses.substr(start, end - start);
        const std::size_t colon = node.rfind(':');
        if (colon != std::string::npos && colon > 0) {
            std::int32_t port = 0;
            const auto [at, error] = std::from_chars(node.data() + colon + 1, node.data() + node.size(), port);
            if (error == std::errc() && at == node.data() + node.size())
                nodes.emplace_back(node.substr(0, colon), port);
        }
        start = end + 1;
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

// Two runs through two nodes of one cluster must not both write, and a node's named lock
// is its own: so each run that writes through a Galera node also takes the cluster lock
// on the first node, in sorted order of the nodes the cluster lists, that it can reach,
// and holds it until the run ends. Every run then asks the same node, and the second one
// finds the lock held: another run. A run that reaches none of the listed nodes goes on
// with its node's run lock alone. `held` keeps the session that holds the lock.
std::optional<RunOutcome> claimCluster(const data::Connection& first, const ServerProbe& probe,
                                       std::unique_ptr<data::Connection>& held)
{
    for (const auto& [host, port] : sortedNodes(probe.clusterAddresses)) {
        auto session = std::make_unique<data::Connection>(first.settings);
        session->settings.HostName = host;
        session->settings.Port = port;
        std::optional<std::string> taken;
        std::optional<std::string> holder;
        try {
            session->connect(std::vector<std::string>{clusterLockStatement()});
            if (!session->connected())
                continue;
            session->sendQuery(clusterLockStatement());
            data::StoredResult result = session->storeResult();
            if (!result.fetchRow())
                continue;
            taken = result.column(0);
            holder = result.column(1);
        } catch (const data::Error&) {
            continue;
        }
        if (taken == "1") {
            held = std::move(session);
            return std::nullopt;
        }
        RunOutcome outcome = endedAs(RunEnd::AnotherRun);
        std::uint64_t id = 0;
        if (holder && std::from_chars(holder->data(), holder->data() + holder->size(), id).ec == std::errc())
            outcome.otherRunConnection = id;
        return outcome;
    }
    return std::nullopt;
}

// The most bytes of the answer to kNonTransactionalTables while `names` are listed: its
// column and end packets, and per row a packet header, a length and a name that is not
// longer in the session's code page than in UTF-8. A tenant created after the list adds a
// row of its own; hundreds of them would not fill the server's own send buffer.
std::size_t mostNonTransactionalBytes(const std::vector<std::string>& names)
{
    constexpr std::size_t kColumnAndEndPackets = 512;
    constexpr std::size_t kRowHeaderAndLength = 4 + 3;
    std::size_t bytes = kColumnAndEndPackets;
    for (const std::string& name : names)
        bytes += kRowHeaderAndLength + name.size();
    return bytes;
}

// What the first session reads before any statement: the answers to the opening flight.
// Ends the run early when the server may not be written by this run, or the list cannot
// be read; otherwise opens the queue with the list.
std::optional<RunOutcome> readOpening(TDM& dm, const RunOptions& options, FurtherSessions* further,
                                      NameQueue& queue, RunTally& tally, ServerProbe& probe,
                                      std::unique_ptr<data::Connection>& clusterLock)
{
    // Learning who the server is counts as part of reading its list.
    try {
        probe = readProbe(dm.conMain, options.commandLock);
    } catch (const data::Error& error) {
        return endedEarly(RunEnd::ListUnreadable, error.failure());
    }
    if (std::optional<RunOutcome> refused = refusedServer(probe, options))
        return refused;
    if (!probe.clusterUuid.empty() && !options.dryRun) {
        if (std::optional<RunOutcome> other = claimCluster(dm.conMain, probe, clusterLock))
            return other;
    }
    if (further)
        further->firstServerIs(probe);
    std::vector<std::string> names;
    if (Failure failure; !dm.OpenQuery(dm.qryTmp, std::string(kListDatabases), &failure))
        return endedEarly(RunEnd::ListUnreadable, std::move(failure));
    try {
        names = listedNames(dm);
    } catch (const data::Error& error) {
        return endedEarly(RunEnd::ListUnreadable, error.failure());
    }
    tally.listRead(names.size());
    tally.nonTransactionalAnswerAtMost(mostNonTransactionalBytes(names));
    queue.open(std::move(names));
    return std::nullopt;
}

// A session to `host` that may go on with the run of a lost node of `clusterUuid`; none
// when it cannot be opened or is no such node.
std::unique_ptr<data::Connection> takeOverSession(const data::Connection& lost, const std::string& host,
                                                  const std::string& clusterUuid, const RunOptions& options)
{
    auto session = std::make_unique<data::Connection>(lost.settings);
    session->settings.HostName = host;
    try {
        session->connect(std::vector<std::string>{takeOverStatement(options.commandLock, clusterUuid)});
        if (session->connected() && readTakeOver(*session, options.commandLock, clusterUuid))
            return session;
    } catch (const data::Error&) {
        // Not a node to go on with; the next may be.
    }
    return nullptr;
}

// After a lost session to a node of a Galera cluster: the names never sent go on through
// another listed node of that cluster, one after another while sessions are lost and
// names are left. Only names never handed out are sent: those that were under way stay
// unknown.
void continueOnAnotherNode(const data::Connection& lost, const std::string& clusterUuid, const RunOptions& options,
                           NameQueue& queue, RunTally& tally)
{
    for (const std::string& host : options.takeOverHosts) {
        if (!tally.lost() || queue.interrupted() || !queue.namesLeft())
            return;
        std::unique_ptr<data::Connection> session = takeOverSession(lost, host, clusterUuid, options);
        if (!session)
            continue;
        tally.takenOverBy(host);
        queue.reopen();
        SessionWorker(*session, options.depth, queue, tally).run();
    }
}

}  // namespace

std::vector<std::string> openingStatements(const RunOptions& options)
{
    return {probeStatement(options.commandLock), std::string(kListDatabases)};
}

namespace {

// The first session, its opening flight sent; `loggedIn` runs once the server took the
// login, before the first answer is read.
std::optional<Failure> openFirstSession(TDM& dm, const std::string& hostName, const RunOptions& options,
                                        const std::function<void()>& loggedIn = {})
{
    assignSessionSettings(dm.conMain, hostName);
    try {
        dm.conMain.connect(openingStatements(options), {}, loggedIn);
    } catch (const data::Error& error) {
        return error.failure();
    }
    return std::nullopt;
}

// How the run reaches its first session: opens it, calling its argument once the server
// has taken the login (or at once, for a session open already); a failure when it cannot.
using FirstSessionOpener = std::function<std::optional<Failure>(const std::function<void()>& loggedIn)>;

// The run from the first session on. Sessions beyond the first set off as soon as its login
// is taken, so that their logins overlap with its list; each waits for the list, and is
// ended without a name when none comes. Every session has ended when it returns.
RunOutcome runOverSessions(TDM& dm, RunObserver& observer, const RunOptions& options,
                           const FirstSessionOpener& openFirst)
{
    RunTally tally(observer);
    NameQueue queue(options.stop, tally);
    std::optional<FurtherSessions> further;  // last, so that it ends before what it uses
    const auto setOffFurther = [&] {
        if (options.sessions > 1 && !options.dryRun && !further)
            further.emplace(firstSession(dm.conMain, options), options.sessions - 1, options.depth, queue, tally);
    };
    if (std::optional<Failure> failure = openFirst(setOffFurther))
        return endedEarly(RunEnd::NoConnection, std::move(*failure));
    ServerProbe probe;
    // Held until the run ends (claimCluster).
    std::unique_ptr<data::Connection> clusterLock;
    if (std::optional<RunOutcome> early =
            readOpening(dm, options, further ? &*further : nullptr, queue, tally, probe, clusterLock))
        return std::move(*early);
    if (options.dryRun)
        showStatements(queue, tally);
    else
        SessionWorker(dm.conMain, options.depth, queue, tally).run();
    further.reset();
    if (!options.dryRun && !probe.clusterUuid.empty())
        continueOnAnotherNode(dm.conMain, probe.clusterUuid, options, queue, tally);
    // Every session has ended: what none of them took was not reached.
    for (const std::string& name : queue.untaken())
        tally.database({name, DatabaseOutcome::NotReached, nullptr, {}});
    return tally.outcome(queue.interrupted());
}

}  // namespace

std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName, const RunOptions& options)
{
    if (dm.conMain.connected())
        return std::nullopt;
    return openFirstSession(dm, hostName, options);
}

RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options)
{
    if (!dm.conMain.connected())
        return endedEarly(RunEnd::NoConnection, Failure{std::nullopt, "No session is open"});
    return runOverSessions(dm, observer, options, [](const std::function<void()>& loggedIn) {
        loggedIn();
        return std::optional<Failure>();
    });
}

RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer, const RunOptions& options)
{
    if (dm.conMain.connected())
        return updateEveryDatabase(dm, observer, options);
    return runOverSessions(dm, observer, options, [&](const std::function<void()>& loggedIn) {
        return openFirstSession(dm, hostName, options, loggedIn);
    });
}

}  // namespace update
