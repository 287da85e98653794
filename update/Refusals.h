// What a database's answer to its calendar statement makes of it.
#pragma once

#include "data/DatabaseError.h"
#include "update/RunOutcome.h"

namespace update {

// Updated when the statement went through; when the server refused it, the refusal's
// number says which kind: the rows already there, or another reason to pass it over. A
// refusal that can come after some rows were stored, on a table that is not
// `transactional`, leaves the database possibly partly written whatever its number says.
DatabaseOutcome outcomeOfAnswer(const data::DatabaseError* refusal, bool transactional = true);

// Whether the refusal may come from one of the rows, after the rows before it were stored:
// only then does it matter whether the table keeps them without a transaction.
bool refusedByARow(const data::DatabaseError& refusal);

}  // namespace update
