// The server's numbers that tell one refusal from another.
#include "update/Refusals.h"

namespace update {

namespace {

// A duplicate key: the twelve rows share their keys, and a key refuses the statement
// whole, so the database held its calendar before.
constexpr unsigned kDuplicateEntry = 1062;

// Refusals raised by a row, which may be any of the twelve: a table without transactions
// keeps the rows stored before it (a duplicate key, a trigger's SIGNAL, a CHECK
// constraint, data too long, NULL into NOT NULL, out of range, truncated or wrong
// values). The others (no database, no table, no right, read-only, packet too large)
// come before any row.
constexpr unsigned kRefusedByARow[] = {1062, 1644, 4025, 3819, 1406, 1048, 1264, 1265, 1366};

}  // namespace

bool refusedByARow(const data::DatabaseError& refusal)
{
    for (const unsigned byARow : kRefusedByARow) {
        if (refusal.number() == byARow)
            return true;
    }
    return false;
}

DatabaseOutcome outcomeOfAnswer(const data::DatabaseError* refusal, bool transactional)
{
    if (!refusal)
        return DatabaseOutcome::Updated;
    if (!transactional && refusedByARow(*refusal))
        return DatabaseOutcome::PossiblyPartlyWritten;
    return refusal->number() == kDuplicateEntry ? DatabaseOutcome::AlreadyThere : DatabaseOutcome::Skipped;
}

}  // namespace update
