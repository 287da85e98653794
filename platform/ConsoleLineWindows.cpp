// Erasing a line in a Windows console: virtual-terminal processing is turned on for the
// run and the console's mode given back afterwards. A console that refuses the mode
// (before Windows 10) gets spaces; so does one that accepts the mode and still shows the
// sequence's characters (Wine's, some older replacements), which is found by writing the
// sequence once where it erases nothing and seeing whether the cursor moved.
#include "platform/ConsoleLine.h"
#include "platform/WindowsConsole.h"

#include <io.h>
#include <windows.h>

namespace platform {

namespace {

// Writes "erase to the line's end" at the cursor, where nothing follows it yet; true when
// the console acted on it. Characters it showed instead are blanked again at once.
bool actsOnEraseSequence(HANDLE console)
{
    CONSOLE_SCREEN_BUFFER_INFO before{};
    if (!GetConsoleScreenBufferInfo(console, &before))
        return false;
    constexpr wchar_t kErase[] = L"\x1b[K";
    constexpr DWORD kLength = 3;
    DWORD written = 0;
    if (!WriteConsoleW(console, kErase, kLength, &written, nullptr))
        return false;
    CONSOLE_SCREEN_BUFFER_INFO after{};
    if (GetConsoleScreenBufferInfo(console, &after) && after.dwCursorPosition.X == before.dwCursorPosition.X &&
        after.dwCursorPosition.Y == before.dwCursorPosition.Y)
        return true;
    DWORD blanked = 0;
    FillConsoleOutputCharacterW(console, L' ', kLength, before.dwCursorPosition, &blanked);
    SetConsoleCursorPosition(console, before.dwCursorPosition);
    return false;
}

}  // namespace

ConsoleLineErasing::ConsoleLineErasing(std::FILE* stream) : stream_(stream)
{
    const HANDLE console = consoleOf(stream);
    DWORD mode = 0;
    if (!console || !GetConsoleMode(console, &mode))
        return;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
        if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            return;
        console_ = reinterpret_cast<std::intptr_t>(console);
        modeBefore_ = mode;
    }
    escapes_ = true;  // until tried
}

bool ConsoleLineErasing::escapes()
{
    if (escapes_ && !tried_) {
        std::fflush(stream_);
        escapes_ = actsOnEraseSequence(consoleOf(stream_));
    }
    tried_ = true;
    return escapes_;
}

ConsoleLineErasing::~ConsoleLineErasing()
{
    if (console_ != kNone)
        SetConsoleMode(reinterpret_cast<HANDLE>(console_), static_cast<DWORD>(modeBefore_));
}

}  // namespace platform
