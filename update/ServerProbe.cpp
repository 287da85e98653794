// The probe's question and the reading of its answer.
#include "update/ServerProbe.h"

#include "data/Connection.h"

namespace update {

std::string probeStatement()
{
    return "SELECT CONCAT_WS(':', @@hostname, @@port, @@datadir)";
}

ServerProbe readProbe(data::Connection& session)
{
    session.sendQuery(probeStatement());
    data::StoredResult result = session.storeResult();
    if (!result.fetchRow())
        throw data::ProgramError("Server neřekl, kdo je");
    return ServerProbe{result.firstColumn()};
}

}  // namespace update
