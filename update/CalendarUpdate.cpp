// The run's steps in order: the further sessions set off, the server's answer about
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

#include <memory>
#include <set>

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

// Which tenants keep rows without transactions; unknown when the server would not say,
// and then every refusal by a row may have left some.
void readNonTransactional(TDM& dm, RunTally& tally)
{
    std::set<std::string> names;
    try {
        if (Failure failure; !dm.OpenQuery(dm.qryTmp, std::string(kNonTransactionalTables), &failure)) {
            tally.nonTransactionalUnknown();
            return;
        }
        for (const std::string& name : listedNames(dm))
            names.insert(name);
    } catch (const data::Error&) {
        tally.nonTransactionalUnknown();
        return;
    }
    tally.nonTransactional(std::move(names));
}

// What the first session reads before any statement: the answers to the opening flight.
// Ends the run early when the server may not be written by this run, or the list cannot
// be read; otherwise opens the queue with the list.
std::optional<RunOutcome> readOpening(TDM& dm, const RunOptions& options, FurtherSessions* further,
                                      NameQueue& queue, RunTally& tally, ServerProbe& probe)
{
    // Learning who the server is counts as part of reading its list.
    try {
        probe = readProbe(dm.conMain, options.commandLock);
    } catch (const data::Error& error) {
        return endedEarly(RunEnd::ListUnreadable, error.failure());
    }
    if (std::optional<RunOutcome> refused = refusedServer(probe, options))
        return refused;
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
    readNonTransactional(dm, tally);
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
    return {probeStatement(options.commandLock), std::string(kListDatabases), std::string(kNonTransactionalTables)};
}

std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName, const RunOptions& options)
{
    if (dm.conMain.connected())
        return std::nullopt;
    assignSessionSettings(dm.conMain, hostName);
    try {
        dm.conMain.connect(openingStatements(options));
    } catch (const data::Error& error) {
        return error.failure();
    }
    return std::nullopt;
}

RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options)
{
    if (!dm.conMain.connected())
        return endedEarly(RunEnd::NoConnection, Failure{std::nullopt, "No session is open"});
    RunTally tally(observer);
    NameQueue queue(options.stop, tally);
    ServerProbe probe;
    {
        // Set off before the first session reads its list, so that their logins overlap
        // with it; each waits for the list, and is ended without a name when none comes.
        std::optional<FurtherSessions> further;
        if (options.sessions > 1 && !options.dryRun)
            further.emplace(firstSession(dm.conMain, options), options.sessions - 1, options.depth, queue, tally);
        if (std::optional<RunOutcome> early = readOpening(dm, options, further ? &*further : nullptr, queue, tally, probe))
            return std::move(*early);
        if (options.dryRun)
            showStatements(queue, tally);
        else
            SessionWorker(dm.conMain, options.depth, queue, tally).run();
    }
    if (!options.dryRun && !probe.clusterUuid.empty())
        continueOnAnotherNode(dm.conMain, probe.clusterUuid, options, queue, tally);
    // Every session has ended: what none of them took was not reached.
    for (const std::string& name : queue.untaken())
        tally.database({name, DatabaseOutcome::NotReached, nullptr, {}});
    return tally.outcome(queue.interrupted());
}

RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer, const RunOptions& options)
{
    if (std::optional<Failure> failure = connectToServer(dm, hostName, options))
        return endedEarly(RunEnd::NoConnection, std::move(*failure));
    return updateEveryDatabase(dm, observer, options);
}

}  // namespace update
