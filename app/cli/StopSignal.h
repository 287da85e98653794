// SIGINT and SIGTERM (Ctrl+C and Ctrl+Break in a Windows console) ask the run to stop.
#pragma once

#include <atomic>

namespace cli {

// The first stop signal, once it came: its number, then the flag the runs watch. Whoever
// sees the flag set finds the number there already, so that the exit status is always
// 128 plus a signal's number, never 128 alone.
class StopRequest {
public:
    // Records `signal` when it is the first; false for a later one.
    bool record(int signal) noexcept;

    const std::atomic<bool>& requested() const noexcept { return requested_; }
    // 0 before any signal.
    int signal() const noexcept { return signal_.load(); }

private:
    std::atomic<int> signal_{0};
    std::atomic<bool> requested_{false};
};

// Catches the first of those signals: the run stops after the statements in flight and
// reports what it did. The handler then steps aside, so a second signal ends the program
// at once in the usual way. (One file per system: StopSignalPosix.cpp, StopSignalWindows.cpp.)
void catchStopSignals();

// The program's one request, which the signal handlers record.
StopRequest& programStopRequest();

// True once a stop signal came.
const std::atomic<bool>& stopRequested();

// The number of the signal that came (SIGINT or SIGTERM), 0 before any.
int stopSignalNumber();

}  // namespace cli
