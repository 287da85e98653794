// Standard streams written as UTF-8 bytes, or as UTF-16 when Windows shows them in a console.
#include "platform/ConsoleText.h"

#if defined(_WIN32)
#include "platform/CodePage.h"
#include "platform/WindowsConsole.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <string>
#endif

namespace platform {

namespace {

bool writeBytes(std::FILE* stream, std::string_view bytes)
{
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fflush(stream) == 0 && written;
}

}  // namespace

bool writeText(std::FILE* stream, std::string_view utf8)
{
#if defined(_WIN32)
    const HANDLE console = consoleOf(stream);
    if (!console)
        return writeBytes(stream, utf8);
    // What the stream's buffer holds goes first, in its order.
    if (std::fflush(stream) != 0)
        return false;
    const std::wstring wide = utf8ToWide(utf8);
    // The console takes a limited amount per call.
    constexpr std::size_t kPiece = 8192;
    for (std::size_t done = 0; done < wide.size();) {
        std::size_t piece = std::min(kPiece, wide.size() - done);
        if (piece < wide.size() - done && IS_HIGH_SURROGATE(wide[done + piece - 1]))
            --piece;  // a pair stays whole
        const DWORD count = static_cast<DWORD>(piece);
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, count, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
#else
    return writeBytes(stream, utf8);
#endif
}

#if defined(_WIN32)
HANDLE consoleOf(std::FILE* stream)
{
    const intptr_t osHandle = _get_osfhandle(_fileno(stream));
    if (osHandle == -1 || osHandle == -2)
        return nullptr;
    const HANDLE handle = reinterpret_cast<HANDLE>(osHandle);
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) ? handle : nullptr;
}
#endif

}  // namespace platform
