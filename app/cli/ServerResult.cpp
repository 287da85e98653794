// The counts and the exit semantics of the servers' outcomes.
#include "app/cli/ServerResult.h"

#include "app/cli/ExitStatus.h"
#include "app/cli/StopSignal.h"

namespace cli {

bool ServerResult::nothingWritten() const
{
    using update::DatabaseOutcome;
    return !dryRun && outcome.end == update::RunEnd::Completed && outcome.count(DatabaseOutcome::Updated) == 0 &&
           outcome.count(DatabaseOutcome::AlreadyThere) == 0 && outcome.count(DatabaseOutcome::PossiblyPartlyWritten) == 0;
}

Totals totalsOf(const std::vector<ServerResult>& results)
{
    Totals total;
    total.servers = results.size();
    for (const ServerResult& result : results) {
        const update::RunOutcome& outcome = result.outcome;
        total.listed += outcome.listed;
        total.dryRun = total.dryRun || result.dryRun;
        for (std::size_t i = 0; i < total.counts.size(); ++i)
            total.counts[i] += outcome.counts[i];
        // A second address of a server already updated connects to nothing new.
        total.notConnected +=
            outcome.end == update::RunEnd::NoConnection || outcome.end == update::RunEnd::SameServer ||
                    outcome.end == update::RunEnd::SameCluster
                ? 1
                : 0;
    }
    return total;
}

int exitStatusOf(const ServerResult& result)
{
    // A server the stop signal cut short ends as the whole program does.
    if (result.interrupted && stopSignalNumber() != 0)
        return kExitBySignal + stopSignalNumber();
    switch (result.outcome.end) {
    case update::RunEnd::NoConnection: return kExitNoConnection;
    case update::RunEnd::ListUnreadable:
    case update::RunEnd::SessionLost: return kExitRunBroken;
    case update::RunEnd::SameServer:
    case update::RunEnd::SameCluster: return kExitCompleted;  // updated once, through the other address
    case update::RunEnd::AnotherRun: return kExitAnotherRun;
    case update::RunEnd::Replica:
    case update::RunEnd::ReadOnly:
    case update::RunEnd::NodeNotWritable: return kExitNotWritable;
    case update::RunEnd::Interrupted:
    case update::RunEnd::Completed: break;
    }
    return result.nothingWritten() ? kExitNothingWritten : kExitCompleted;
}

int overallStatus(const std::vector<ServerResult>& results)
{
    int status = kExitCompleted;
    for (const ServerResult& result : results)
        status = worseStatus(status, exitStatusOf(result));
    return status;
}

}  // namespace cli
