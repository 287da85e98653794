// The console program's exit statuses, for scripts and cron.
#pragma once

namespace cli {

enum ExitStatus : int {
    kExitCompleted = 0,                // the run went through the list, skipped databases included
    kExitNoConnection = 1,             // the connect failed
    kExitRunBroken = 2,                // the list was unreadable or the session was lost
    kExitWrongCommandLine = 64,        // as EX_USAGE of sysexits.h
    kExitCodePageMissing = 69,         // as EX_UNAVAILABLE: the system cannot convert Windows-1250
    kExitOutputFailed = 74,            // as EX_IOERR: the report could not be written
    kExitConfigurationUnreadable = 78  // as EX_CONFIG: the configuration file is there but unreadable
};

}  // namespace cli
