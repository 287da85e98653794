// How a line that is shown and then replaced (a progress line) is erased on a terminal.
#pragma once

#include <cstdint>
#include <cstdio>

namespace platform {

// For `stream`, which shows on a terminal, for as long as the object lives: on Windows the
// console is asked to act on escape sequences and gets its own mode back afterwards; where
// it cannot or does not act on them, a line is erased with spaces instead.
class ConsoleLineErasing {
public:
    explicit ConsoleLineErasing(std::FILE* stream);
    ~ConsoleLineErasing();
    ConsoleLineErasing(const ConsoleLineErasing&) = delete;
    ConsoleLineErasing& operator=(const ConsoleLineErasing&) = delete;

    // True when the terminal acts on "\r\x1b[K" (back to the line's start, erase to its
    // end); false when it would show those characters. On Windows the first call tries the
    // sequence once where it erases nothing (call it where a line starts), so that a run
    // that never shows a progress line leaves nothing on the console.
    bool escapes();

private:
    std::FILE* stream_;
    bool escapes_ = false;
    bool tried_ = false;
    // The console and the mode to give back (Windows); kNone when nothing is to be given back.
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t console_ = kNone;
    unsigned long modeBefore_ = 0;
};

}  // namespace platform
