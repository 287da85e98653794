// SIGINT and SIGTERM (Ctrl+C and Ctrl+Break in a Windows console) ask the run to stop.
#pragma once

#include <atomic>

namespace cli {

// Catches the first of those signals: the run stops after the statements in flight and
// reports what it did. The handler then steps aside, so a second signal ends the program
// at once in the usual way.
void catchStopSignals();

// True once a stop signal came.
const std::atomic<bool>& stopRequested();

// The number of the signal that came (SIGINT or SIGTERM), 0 before any.
int stopSignalNumber();

}  // namespace cli
