// The server's numbers that tell one refusal from another.
#include "update/Refusals.h"

namespace update {

namespace {

// A duplicate key: the twelve rows share their keys, and a key refuses the statement
// whole, so the database held its calendar before.
constexpr unsigned kDuplicateEntry = 1062;

}  // namespace

DatabaseOutcome outcomeOfAnswer(const data::DatabaseError* refusal)
{
    if (!refusal)
        return DatabaseOutcome::Updated;
    return refusal->number() == kDuplicateEntry ? DatabaseOutcome::AlreadyThere : DatabaseOutcome::Skipped;
}

}  // namespace update
