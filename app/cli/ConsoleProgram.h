// The console program from its arguments to its exit status, the same on every system.
#pragma once

#include <string>
#include <vector>

namespace cli {

// `arguments` without the program's name: UTF-8 on Windows, the locale's bytes
// elsewhere. Every exception is caught: a failure in the program itself ends with one
// line and a status of its own, never with an abort whose status a script could take
// for one of the documented outcomes.
int runConsoleProgram(const std::vector<std::string>& arguments);

}  // namespace cli
