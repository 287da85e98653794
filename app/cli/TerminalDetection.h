// Whether a stream is a terminal that can take the progress line.
#pragma once

#include <cstdio>

namespace cli {

// True for a terminal that redraws a line on "\r" and erases it on "ESC [K": on POSIX one
// whose TERM is not "dumb", on Windows a console. (One file per system.)
bool takesProgressLine(std::FILE* stream);

}  // namespace cli
