// Terminals on Windows: a console.
#include "app/cli/TerminalDetection.h"

#include <io.h>

namespace cli {

bool takesProgressLine(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace cli
