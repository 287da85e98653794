// What became of one server and of all of them: the counts the reports give and the exit
// status each outcome means.
#pragma once

#include "update/CalendarUpdate.h"

#include <array>
#include <cstddef>
#include <vector>

namespace cli {

// What became of one server, for its closing lines and the exit status.
struct ServerResult {
    update::RunOutcome outcome;
    bool dryRun = false;
    bool interrupted = false;

    // Went through the list yet wrote nothing, and no database had the rows before.
    bool nothingWritten() const;
};

// The servers' outcomes summed, as the closing total gives them.
struct Totals {
    std::size_t servers = 0;
    // Not connected, or a second address of a server already updated.
    std::size_t notConnected = 0;
    std::size_t listed = 0;
    // Each database outcome's count over every server.
    std::array<std::size_t, update::kDatabaseOutcomes> counts{};
    // The servers' runs sent nothing (--dry-run).
    bool dryRun = false;
};

Totals totalsOf(const std::vector<ServerResult>& results);

// One server's exit status.
int exitStatusOf(const ServerResult& result);

// The program's exit status over all its servers: the worst of theirs (worseStatus).
int overallStatus(const std::vector<ServerResult>& results);

}  // namespace cli
