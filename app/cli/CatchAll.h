// The console program's last resort: an exception nothing else caught ends the program
// with one line and an exit status of its own.
#pragma once

#include "app/cli/Terminal.h"

#include <cstdio>
#include <functional>

namespace cli {

// Runs `work` and returns its status. An exception out of it is written to `err` as one
// line ("calendar-import-cli: vnitřní chyba programu: ...") and gives kExitInternalError,
// a status no outcome of a run uses, so that a script never takes a failure of the
// program for a documented refusal.
int statusCatchingEverything(std::FILE* err, const Terminal& terminal, const std::function<int()>& work);

}  // namespace cli
