// The data module: the program's one gateway to the database server.
#pragma once

#include "data/Connection.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

#include <string>

// The window's session waits at most this long to reach a server, its greeting included:
// a server that has not greeted by then is stuck (or the port belongs to another service),
// and the start-up run goes on to the window as for any failed connect.
inline constexpr unsigned kConnectTimeoutSeconds = 10;
// ... and at most this long for any one answer. A healthy but busy server can take long to
// answer an INSERT: one waiting for a row lock ends with the server's own error 1205 after
// its lock wait (innodb_lock_wait_timeout, 50 s unless the site changed it), and the
// commit may then wait on a slow or saturated disk. Twice the lock wait leaves room for
// both, so that the limit ends only a session whose server has stopped answering, not a
// statement the server is still working on.
inline constexpr unsigned kAnswerTimeoutSeconds = 120;

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
