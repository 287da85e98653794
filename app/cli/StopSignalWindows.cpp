// The stop signals on Windows: Ctrl+C and Ctrl+Break, taken by a console handler.
#include "app/cli/StopSignal.h"

#include <csignal>

#include <windows.h>

namespace cli {

namespace {

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // Both end as SIGINT would; the second one ends the program at once.
    return programStopRequest().record(SIGINT) ? TRUE : FALSE;
}

}  // namespace

void catchStopSignals()
{
    programStopRequest();  // made before a handler can run
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace cli
