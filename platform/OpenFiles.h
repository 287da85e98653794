// How many sessions a process may hold open at once.
#pragma once

namespace platform {

// Raises the process's limit of open files to the most the system allows it, where the
// system has such a limit; a fleet's sessions stay open until the whole command ends.
void raiseOpenFilesLimit() noexcept;

}  // namespace platform
