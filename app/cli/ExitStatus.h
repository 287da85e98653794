// The console program's exit statuses, for scripts and cron.
#pragma once

namespace cli {

enum ExitStatus : int {
    kExitCompleted = 0,         // the run went through the list, skipped databases included
    kExitNoConnection = 1,      // the connect failed
    kExitRunBroken = 2,         // the list was unreadable or the session was lost
    kExitWrongCommandLine = 64  // as EX_USAGE of sysexits.h
};

}  // namespace cli
