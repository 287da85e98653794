// Erasing a line here: every terminal the program shows progress on (TERM is not "dumb")
// acts on the erase sequence.
#include "platform/ConsoleLine.h"

namespace platform {

ConsoleLineErasing::ConsoleLineErasing(std::FILE* stream) : stream_(stream) {}

ConsoleLineErasing::~ConsoleLineErasing() = default;

bool ConsoleLineErasing::escapes()
{
    return true;
}

}  // namespace platform
