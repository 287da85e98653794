// Writing text to a standard stream: UTF-16 to a console, the UTF-8 bytes elsewhere.
#pragma once

#include <cstdio>
#include <string_view>

namespace platform {

// Writes `utf8` to `stream` and flushes it; false when not all of it was written. On
// Windows, when the stream is a console, the text goes to it as UTF-16 (WriteConsoleW),
// so that every letter shows whatever the console's code pages are, and those are left
// as the user set them; a file or a pipe gets the UTF-8 bytes, as everywhere else.
bool writeText(std::FILE* stream, std::string_view utf8);

}  // namespace platform
