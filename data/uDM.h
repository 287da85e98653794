// The data module: the program's one gateway to the database server.
#pragma once

#include "data/Connection.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <string>

class TDM {
public:
    TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;
    // Destroying the module closes an open session (the statement objects go first).
    ~TDM() = default;

    // Gives `query` the text `sql` (UTF-8) and opens it. True when that worked; false on
    // any error, which goes no further than `whyNot` when the caller asks for it.
    bool OpenQuery(data::Query& query, const std::string& sql, data::Failure* whyNot = nullptr);

    data::Connection conMain;
    // Kept for the module's own names; the calendar statements go through the session's
    // pipeline (data::streamStatements), not through a statement object.
    data::Query qryServer{conMain};
    data::Query qryTmp{conMain};
};
