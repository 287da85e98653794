// What a database's answer to its calendar statement makes of it.
#pragma once

#include "data/DatabaseError.h"
#include "update/RunOutcome.h"

namespace update {

// Updated when the statement went through; when the server refused it, the refusal's
// number says which kind: the rows already there, or another reason to pass it over.
DatabaseOutcome outcomeOfAnswer(const data::DatabaseError* refusal);

}  // namespace update
