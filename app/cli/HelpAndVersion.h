// What the program prints instead of a run: its help, its version, and the usage after a
// wrong command line, each with the exit status it ends with.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/Terminal.h"

namespace cli {

int showHelp(const Terminal& terminal);
int showVersion(const Terminal& terminal);
int showWrongCommandLine(const Terminal& terminal, const CommandLine& commandLine);

// `status`, or kExitOutputFailed with a line on standard error when the report was not
// `written` whole.
int finishedPrinting(bool written, const Terminal& terminal, int status);

}  // namespace cli
