// What a run did: the end it came to and what became of each listed database, and the
// observer that hears of each database as the run deals with it.
#pragma once

#include "data/DatabaseError.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace update {

using data::Failure;

// What became of one listed database; each has exactly one.
enum class DatabaseOutcome {
    Updated,       // it took its rows
    AlreadyThere,  // it refused them because it holds them already (the server's duplicate key)
    Skipped,       // it refused them for another reason, before any row
    // It refused them with a refusal that can come after some rows (a duplicate key, a
    // trigger, a check, bad data), on a table that keeps the rows it took before (not
    // transactional): some may be there.
    PossiblyPartlyWritten,
    // A name the list holds more than once: the session's code page could not write the
    // real names, so they came out alike. Its statement went once, to the first.
    ListedAgain,
    Unknown,     // its statement was under way when a session was lost: it may or may not have run
    NotReached,  // no statement was sent to it: the run ended before
    DryRun,      // its statement was built and shown, and not sent
};
inline constexpr std::size_t kDatabaseOutcomes = 8;

enum class RunEnd {
    NoConnection,    // no session could be opened
    ListUnreadable,  // the session was open but the database list could not be read
    SessionLost,     // a session broke off part-way through the list
    Completed,       // every listed database was visited
    Interrupted,     // the run was asked to stop (RunOptions::stop) before the list's end
    SameServer,      // another run of the same command reached this server first (RunOptions::claimServer)
    SameCluster,     // another run of the same command updates this node's Galera cluster
    AnotherRun,      // a session that is not this command's holds the run lock: another run updates it now
    Replica,         // the server replicates from another: written only by its primary
    ReadOnly,        // the server is read_only
    NodeNotWritable, // a Galera node that does not take writes now (not in a Primary component, not ready)
};

struct RunOutcome {
    RunEnd end = RunEnd::NoConnection;
    std::size_t listed = 0;
    // How many listed databases came to each outcome; together they make `listed`.
    std::array<std::size_t, kDatabaseOutcomes> counts{};
    // Why the run ended before its end: the connect, the list or the session's failure.
    std::optional<Failure> failure;
    // For RunEnd::SameServer and SameCluster: the address through which the other run reached it.
    std::string sameServerAs;
    // For RunEnd::AnotherRun: the holder's connection id on that server, when it said.
    std::optional<std::uint64_t> otherRunConnection;
    // For RunEnd::NodeNotWritable: the node's state as it said it.
    std::string nodeState;
    // For RunEnd::SessionLost: the address of another node of the same Galera cluster that
    // went on with the names not yet sent (RunOptions::takeOverHosts); empty when none did.
    std::string takenOverBy;

    std::size_t count(DatabaseOutcome outcome) const noexcept { return counts[static_cast<std::size_t>(outcome)]; }
};

// What the run tells of one database.
struct DatabaseResult {
    std::string_view name;
    DatabaseOutcome outcome = DatabaseOutcome::Updated;
    // The server's refusal, or the failure that lost the session.
    const Failure* why = nullptr;
    // For a dry run: the statement as built.
    std::string_view statement;
};

// Hears of each database as the run deals with it. Every method does nothing unless a
// front end wants to show it; the window program shows none of it.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void listRead(std::size_t /*count*/) {}
    // Each listed database once; those not reached come after the run, in list order.
    virtual void database(const DatabaseResult& /*result*/) {}
    // A further session (RunOptions::sessions) could not be opened; the others do its share.
    virtual void sessionNotOpened(const Failure& /*why*/) {}
};

// A failure of the program itself while it worked on a server (no memory, no thread):
// what was under way cannot go on, as if the session had been lost.
Failure programFailure(const std::exception& error);
// A run that the program itself could not carry through: ended as a lost session.
RunOutcome failedInItself(const std::exception& error);
// A run that ended before it listed.
RunOutcome endedEarly(RunEnd end, Failure failure);

}  // namespace update
