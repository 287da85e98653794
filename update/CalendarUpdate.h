// The calendar update run: connect, then write the 2008 calendar into every database the
// server lists, and say what happened.
#pragma once

#include "data/DatabaseError.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDM;

namespace update {

inline constexpr std::string_view kListDatabases = "SHOW DATABASES";

using data::Failure;

enum class RunEnd {
    NoConnection,    // no session could be opened
    ListUnreadable,  // the session was open but the database list could not be read
    SessionLost,     // the session broke off part-way through the list
    Completed,       // every listed database was visited
    Interrupted,     // the run was asked to stop (RunOptions::stop) before the list's end
    SameServer,      // another run of the same command reached this server first (RunOptions::claimServer)
};

// What one run did. Every listed database is counted once: updated, skipped, listed
// again (see below), kept back by a trial run, in flight when a session was lost (its
// outcome unknown), or not reached.
struct RunOutcome {
    RunEnd end = RunEnd::NoConnection;
    std::size_t listed = 0;
    std::size_t updated = 0;
    std::size_t skipped = 0;
    // Of the skipped, those that refused the rows because they hold them already (the
    // server's duplicate-key refusal): a run that wrote nothing yet found them there has
    // still left every such database with its calendar.
    std::size_t alreadyPresent = 0;
    // A name the list holds more than once: the session's code page could not write
    // the real names, so they came out alike. Its statement went once, to the first.
    std::size_t listedAgain = 0;
    std::size_t keptBack = 0;
    // The databases whose statements were under way when a session was lost: one, or
    // with batches those written and not yet answered.
    std::vector<std::string> unknown;
    // Why the run ended before its end: the connect, the list or the session's failure.
    std::optional<Failure> failure;
    // For RunEnd::SameServer: the address through which the other run reached it.
    std::string sameServerAs;

    std::size_t notReached() const noexcept
    {
        return listed - updated - skipped - listedAgain - keptBack - unknown.size();
    }
};

// Hears of each database as the run deals with it. Every method does nothing unless a
// front end wants to show it; the window program shows none of it.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void listRead(std::size_t /*count*/) {}
    virtual void databaseUpdated(std::string_view /*name*/) {}
    virtual void databaseSkipped(std::string_view /*name*/, const Failure& /*why*/) {}
    virtual void databaseListedAgain(std::string_view /*name*/) {}
    virtual void databaseUnknown(std::string_view /*name*/, const Failure& /*why*/) {}
    virtual void statementKeptBack(std::string_view /*name*/, std::string_view /*statement*/) {}
    // After the run, for each database it did not reach, in list order.
    virtual void databaseNotReached(std::string_view /*name*/) {}
    // A further session (RunOptions::sessions) could not be opened; the others do its share.
    virtual void sessionNotOpened(const Failure& /*why*/) {}
};

// The defaults are the window's run: one session, one statement per round trip, in the
// order of the list.
struct RunOptions {
    // Build and report each statement, send none.
    bool trialRun = false;
    // Statements taken at a time and sent as a pipeline: each a query of its own, written
    // without waiting for the answers to those before it (data::Connection::executePipeline).
    std::size_t batchSize = 1;
    // Sessions to the server, each taking the next statements from the one list; the
    // further ones are opened with the first one's settings.
    std::size_t sessions = 1;
    // When it becomes true, the run stops after the round trips under way.
    const std::atomic<bool>* stop = nullptr;
    // Learn the server's identity once connected (data::Connection::serverIdentity).
    // Further sessions then connect to the address the first one reached, and each must
    // show the same identity before it takes a name; one that does not is closed and
    // reported (RunObserver::sessionNotOpened), and the others do its share.
    bool identifyServer = false;
    // With identifyServer: called with the identity before the list is read. When it
    // returns an address (another run has that server already), the run ends as
    // RunEnd::SameServer without listing.
    std::function<std::optional<std::string>(const std::string& identity)> claimServer;
};

// Assigns the fixed session settings with `hostName` (UTF-8) and connects; does nothing
// when a session is open. Returns the failure when no session could be opened.
std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName);

// Lists the databases over the open session and sends each its calendar statement,
// passing over those that refuse it. Ends early only when the list cannot be read, a
// session is lost or the run is stopped. With no session open, ends with NoConnection.
// The observer hears of one database at a time, whatever the number of sessions.
RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options = {});

// Both steps, for a front end without a window.
RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer,
                             const RunOptions& options = {});

// A failure of the program itself while it worked on a server (no memory, no thread):
// what was under way cannot go on, as if the session had been lost.
Failure programFailure(const std::exception& error);
// A run that the program itself could not carry through: ended as a lost session.
RunOutcome failedInItself(const std::exception& error);

}  // namespace update
