// The stop signals on POSIX, taken by a thread of their own.
#include "app/cli/StopSignal.h"

#include <csignal>

#include <pthread.h>

namespace cli {

namespace {

// Waits for the signals, which every other thread keeps blocked: no read or write of a
// session is ever cut short by one, so the statement in flight gets its answer.
void waitForStopSignals(sigset_t signals)
{
    int number = 0;
    if (sigwait(&signals, &number) != 0)
        return;
    programStopRequest().record(number);
    // The second signal ends the program at once, as if it had never been caught.
    if (sigwait(&signals, &number) != 0)
        return;
    std::signal(number, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    std::raise(number);
}

void* waitForStopSignalsIn(void* signals)
{
    waitForStopSignals(*static_cast<const sigset_t*>(signals));
    return nullptr;
}

}  // namespace

void catchStopSignals()
{
    programStopRequest();  // made before the thread that records into it
    // Blocked before any other thread starts, so that every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    static sigset_t waitedFor;
    waitedFor = signals;
    // Waiting takes next to no stack: a small one starts even where a thread with the
    // default one would not fit.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, waitForStopSignalsIn, &waitedFor) == 0;
    pthread_attr_destroy(&attributes);
    // With no thread to take them, the signals end the program in the usual way.
    if (!started)
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

}  // namespace cli
