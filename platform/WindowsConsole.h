// The console behind a standard stream on Windows, for the units that write to it.
#pragma once

#include <windows.h>

#include <cstdio>

namespace platform {

// The console behind `stream`, or nullptr for a file, a pipe or no handle at all.
HANDLE consoleOf(std::FILE* stream);

}  // namespace platform
