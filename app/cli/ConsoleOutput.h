// The console's two streams, shared by every server's report, with the progress line.
#pragma once

#include "app/cli/Terminal.h"
#include "platform/ConsoleLine.h"

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>

namespace cli {

// The two streams every server's report writes to. One lock keeps the lines of servers
// that run at once whole, and one progress line counts the databases of all of them.
// Each line is written out at once, so the report holds every database done even when
// the program is stopped.
class ConsoleOutput {
public:
    // With `showProgress`, `err` shows on a terminal, which is set up for erasing the
    // progress line for as long as this object lives.
    ConsoleOutput(std::FILE* out, std::FILE* err, bool showProgress);

    void write(std::FILE* stream, const std::string& line);
    // A database line: written, then the progress line redrawn.
    void writeVisited(std::FILE* stream, const std::string& line);
    void listed(std::size_t count);
    void setTerminal(const Terminal& terminal) { terminal_ = &terminal; }

    std::FILE* out() const noexcept { return out_; }
    std::FILE* err() const noexcept { return err_; }
    // False when a line could not be written (a full disk, a closed pipe).
    bool allWritten() const;

private:
    void writeLocked(std::FILE* stream, const std::string& line);
    void clearProgress();
    // Back to the progress line's start with it erased.
    std::string eraseProgress();

    std::FILE* out_;
    std::FILE* err_;
    bool showProgress_;
    const Terminal* terminal_ = nullptr;
    mutable std::mutex lock_;
    std::optional<platform::ConsoleLineErasing> erasing_;
    bool progressShown_ = false;
    // The characters the progress line shows, for erasing it with spaces.
    std::size_t progressWidth_ = 0;
    bool allWritten_ = true;
    std::size_t listed_ = 0;
    std::size_t visited_ = 0;
};

// Writes `lines` (UTF-8), each in the terminal's encoding and ended, to `stream` at once,
// before or beside a report; false when any of them could not be written.
bool printLines(std::FILE* stream, const Terminal& terminal, std::initializer_list<std::string> lines);

// `number` with its thousands set apart by a space, as Czech writes them: "1 234".
std::string groupedDigits(std::size_t number);

}  // namespace cli
