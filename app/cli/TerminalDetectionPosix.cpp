// Terminals on POSIX: a tty, unless TERM says it cannot move the cursor.
#include "app/cli/TerminalDetection.h"

#include <cstdlib>
#include <string_view>

#include <unistd.h>

namespace cli {

bool takesProgressLine(std::FILE* stream)
{
    if (isatty(fileno(stream)) != 1)
        return false;
    const char* term = std::getenv("TERM");
    return !(term && std::string_view(term) == "dumb");
}

}  // namespace cli
