// The calendar update run: connect, then write the 2008 calendar into every database the
// server lists, and say what happened.
#pragma once

#include "data/Pipeline.h"
#include "update/RunOutcome.h"
#include "update/ServerProbe.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDM;

namespace update {

inline constexpr std::string_view kListDatabases = "SHOW DATABASES";
// The tenants whose calendar table keeps rows without transactions (the account sees the
// tables it has a right on; one it has none on refuses before any row anyway). Asked once
// in a run, and only when a refusal by a row needs it (SessionWorker).
inline constexpr std::string_view kNonTransactionalTables =
    "SELECT t.TABLE_SCHEMA FROM information_schema.TABLES t JOIN information_schema.ENGINES e USING (ENGINE) "
    "WHERE t.TABLE_NAME = 'calendar' AND e.TRANSACTIONS <> 'YES'";

// Statements a session keeps unanswered unless told otherwise: as many as may be, so
// that the round trips of a far server overlap instead of adding up.
inline constexpr std::size_t kDefaultDepth = data::kMostStatementsInFlight;

// What this command has of a server that a run reached (RunOptions::claimServer).
struct ServerClaim {
    enum class Kind {
        New,          // the server, and its cluster if any, are this run's
        SameServer,   // another run of this command reached the same server
        SameCluster,  // another run of this command updates the node's cluster
    };
    Kind kind = Kind::New;
    // The address through which the other run reached it.
    std::string address;
};

// The defaults are the window's run: one session, the statements streamed in the order
// of the list, as many unanswered as may be.
struct RunOptions {
    // Build and report each statement, send none.
    bool dryRun = false;
    // Statements written ahead of their answers at most, each a query of its own
    // (data::streamStatements); 1 sends each only after the answer to the one before.
    std::size_t depth = kDefaultDepth;
    // Sessions to the server, each taking the next names from the one list. The further
    // ones are opened with the first one's settings while the first reads the list; one
    // that would have no work by the time it has logged in is closed at once.
    std::size_t sessions = 1;
    // Read before each statement is written; once it is true, no statement is written and
    // the run ends after the answers under way.
    const std::atomic<bool>* stop = nullptr;
    // Further sessions connect to the address the first one reached, and each must show
    // that it reached the first one's server (the command's lock held by the first
    // session) before it takes a name; one that does not is closed and reported
    // (RunObserver::sessionNotOpened), and the others do its share.
    bool identifyServer = false;
    // The command's own lock (ServerProbe): the same for every server and session of one
    // command; each RunOptions made without one is a command of its own.
    std::string commandLock = newCommandLockName();
    // Called with the server's answer (ServerProbe) before the list is read: tells
    // whether this command has the server, or its cluster, already through another
    // address. Without it a server that this command reached already ends as SameServer
    // with no address, and every cluster node is a target of its own.
    std::function<ServerClaim(const ServerProbe& probe)> claimServer;
    // Other addresses this command was given. When a session to a Galera node is lost, the
    // names not yet sent go on over one session to the first of these that is a node of
    // the same cluster taking writes, with the run lock there this command's
    // (takeOverStatement); the statements that were under way stay unknown and are never
    // sent again. Empty: a lost session ends the run.
    std::vector<std::string> takeOverHosts;
};

// What a run sends with its connect, in order: the probe, then the list.
std::vector<std::string> openingStatements(const RunOptions& options);

// Assigns the fixed session settings with `hostName` (UTF-8) and connects, sending the
// run's opening statements with the connect; does nothing when a session is open.
// Returns the failure when no session could be opened.
std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName, const RunOptions& options = {});

// Lists the databases over the open session and sends each its calendar statement,
// passing over those that refuse it. Ends early only when the list cannot be read, a
// session is lost or the run is stopped. With no session open, ends with NoConnection.
// The observer hears of one database at a time, whatever the number of sessions.
RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options = {});

// Both steps, for a front end without a window. Further sessions (RunOptions::sessions)
// set off as soon as the server has taken the first one's login.
RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer,
                             const RunOptions& options = {});

}  // namespace update
