// The console program's exit statuses, for scripts and cron.
#pragma once

namespace cli {

enum ExitStatus : int {
    kExitCompleted = 0,                // the run went through the list, skipped databases included
    kExitNoConnection = 1,             // the connect failed
    kExitRunBroken = 2,                // the list was unreadable or the session was lost
    kExitNothingWritten = 3,           // the run went through the list, and every database refused the rows
    kExitAnotherRun = 4,               // another run of the program was updating the server: not written now
    kExitNotWritable = 5,              // a replica, a read-only server or a Galera node that takes no writes:
                                       // never written
    kExitWrongCommandLine = 64,        // as EX_USAGE of sysexits.h
    kExitHostsFileUnreadable = 66,     // as EX_NOINPUT: the --hosts-file cannot be read
    kExitCodePageMissing = 69,         // as EX_UNAVAILABLE: the system cannot convert Windows-1250
    kExitInternalError = 70,           // as EX_SOFTWARE: the program failed in itself (an exception
                                       // nothing else caught); no other outcome uses it
    kExitOutputFailed = 74,            // as EX_IOERR: the report could not be written
    kExitConfigurationUnreadable = 78, // as EX_CONFIG: configuration file unreadable, or --config's missing
    kExitBySignal = 128,               // plus the signal's number, as a shell reports a program it killed
};

// The worse of two servers' statuses: a broken run leaves databases whose outcome is not
// known, so it weighs more than a server not reached at all, which weighs more than one
// that another run is updating (it gets its rows, only not from this run), which weighs
// more than one that refused everything. A server never written by design (a replica
// beside its primary) weighs least: the others say whether its rows came.
constexpr int worseStatus(int a, int b)
{
    const auto weight = [](int status) {
        switch (status) {
        case kExitCompleted: return 0;
        case kExitNotWritable: return 1;
        case kExitNothingWritten: return 2;
        case kExitAnotherRun: return 3;
        case kExitNoConnection: return 4;
        case kExitRunBroken: return 5;
        default: return 6;
        }
    };
    return weight(b) > weight(a) ? b : a;
}

}  // namespace cli
