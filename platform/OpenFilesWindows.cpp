// The open-files limit on Windows: sockets are not counted against one.
#include "platform/OpenFiles.h"

namespace platform {

void raiseOpenFilesLimit() noexcept {}

}  // namespace platform
