// The stop signals, taken by a thread of their own on POSIX and by a console handler on Windows.
#include "app/cli/StopSignal.h"

#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <thread>
#endif

namespace cli {

namespace {

std::atomic<bool> gStopRequested{false};
std::atomic<int> gSignalNumber{0};


#if defined(_WIN32)

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (gStopRequested.exchange(true))
        return FALSE;  // the second one ends the program
    gSignalNumber = SIGINT;
    return TRUE;
}

#else

// Waits for the signals, which every other thread keeps blocked: no read or write of a
// session is ever cut short by one, so the statement in flight gets its answer.
void waitForStopSignals(sigset_t signals)
{
    int number = 0;
    if (sigwait(&signals, &number) != 0)
        return;
    gSignalNumber = number;
    gStopRequested.store(true);
    // The second signal ends the program at once, as if it had never been caught.
    if (sigwait(&signals, &number) != 0)
        return;
    std::signal(number, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    std::raise(number);
}

#endif

}  // namespace

void catchStopSignals()
{
#if defined(_WIN32)
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    // Blocked before any other thread starts, so that every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(waitForStopSignals, signals).detach();
#endif
}

const std::atomic<bool>& stopRequested()
{
    return gStopRequested;
}

int stopSignalNumber()
{
    return gSignalNumber;
}

}  // namespace cli
