// The calendar update run: connect, then write the 2008 calendar into every database the
// server lists, and say what happened.
#pragma once

#include "data/DatabaseError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class TDM;

namespace update {

inline constexpr std::string_view kListDatabases = "SHOW DATABASES";

using data::Failure;

enum class RunEnd {
    NoConnection,    // no session could be opened
    ListUnreadable,  // the session was open but the database list could not be read
    SessionLost,     // the session broke off part-way through the list
    Completed,       // every listed database was visited
};

// What one run did. Every listed database is counted once: updated, skipped, listed
// again (see below), kept back by a trial run, in flight when the session was lost
// (its outcome unknown), or not reached.
struct RunOutcome {
    RunEnd end = RunEnd::NoConnection;
    std::size_t listed = 0;
    std::size_t updated = 0;
    std::size_t skipped = 0;
    // A name the list holds more than once: the session's code page could not write
    // the real names, so they came out alike. Its statement went once, to the first.
    std::size_t listedAgain = 0;
    std::size_t keptBack = 0;
    // The database whose statement was under way when the session was lost.
    std::optional<std::string> unknown;
    // Why the run ended before its end: the connect, the list or the session's failure.
    std::optional<Failure> failure;

    std::size_t notReached() const noexcept
    {
        return listed - updated - skipped - listedAgain - keptBack - (unknown ? 1 : 0);
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
};

struct RunOptions {
    // Build and report each statement, send none.
    bool trialRun = false;
};

// Assigns the fixed session settings with `hostName` (UTF-8) and connects; does nothing
// when a session is open. Returns the failure when no session could be opened.
std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName);

// Lists the databases over the open session and sends each its calendar statement,
// passing over those that refuse it. Ends early only when the list cannot be read or
// the session is lost. With no session open, ends with NoConnection.
RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options = {});

// Both steps, for a front end without a window.
RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer,
                             const RunOptions& options = {});

}  // namespace update
