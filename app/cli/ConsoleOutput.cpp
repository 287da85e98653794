// Writing the run's lines to the terminal or wherever the output goes.
#include "app/cli/ConsoleOutput.h"

#include "app/cli/ConsoleTexts.h"
#include "platform/ConsoleText.h"

namespace cli {

namespace {

// Back to the line's start and erase it, so that the next line replaces the progress.
constexpr char kEraseLine[] = "\r\x1b[K";

// The characters `utf8` shows: one per code point (Czech letters take one column each).
std::size_t charactersOf(const std::string& utf8)
{
    std::size_t count = 0;
    for (const char byte : utf8)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

}  // namespace

std::string groupedDigits(std::size_t number)
{
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ' ';
        out += digits[i];
    }
    return out;
}

bool printLines(std::FILE* stream, const Terminal& terminal, std::initializer_list<std::string> lines)
{
    bool written = true;
    for (const std::string& line : lines)
        written = platform::writeText(stream, terminal.message(line) + '\n') && written;
    return written;
}

ConsoleOutput::ConsoleOutput(std::FILE* out, std::FILE* err, bool showProgress)
    : out_(out), err_(err), showProgress_(showProgress)
{
    if (showProgress_)
        erasing_.emplace(err_);
}

void ConsoleOutput::write(std::FILE* stream, const std::string& line)
{
    const std::lock_guard<std::mutex> guard(lock_);
    writeLocked(stream, line);
}

void ConsoleOutput::writeVisited(std::FILE* stream, const std::string& line)
{
    const std::lock_guard<std::mutex> guard(lock_);
    writeLocked(stream, line);
    ++visited_;
    if (!showProgress_ || !terminal_)
        return;
    // A terminal shows it; a file or a pipe never gets it.
    const std::string text = fill(texts::kProgress, {groupedDigits(visited_), groupedDigits(listed_)});
    platform::writeText(err_, eraseProgress() + terminal_->message(text));
    progressShown_ = true;
    progressWidth_ = charactersOf(text);
}

void ConsoleOutput::listed(std::size_t count)
{
    const std::lock_guard<std::mutex> guard(lock_);
    listed_ += count;
}

bool ConsoleOutput::allWritten() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return allWritten_;
}

void ConsoleOutput::writeLocked(std::FILE* stream, const std::string& line)
{
    clearProgress();
    const bool written = platform::writeText(stream, line + '\n');
    allWritten_ = allWritten_ && written;
}

void ConsoleOutput::clearProgress()
{
    if (!progressShown_)
        return;
    platform::writeText(err_, eraseProgress());
    progressShown_ = false;
    progressWidth_ = 0;
}

std::string ConsoleOutput::eraseProgress()
{
    if (erasing_ && erasing_->escapes())
        return kEraseLine;
    return "\r" + std::string(progressWidth_, ' ') + "\r";
}

}  // namespace cli
