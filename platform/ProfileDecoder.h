// Turns a profile file's bytes, read in pieces, into the Windows-1250 text its rules read.
#pragma once

#include "platform/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A byte order mark at the start says UTF-16LE, UTF-16BE or UTF-8; anything else is
// Windows-1250 already. A character split between two pieces waits for the second.
class ProfileDecoder {
public:
    // The text of `piece` and of what earlier pieces held back.
    std::string decode(std::string_view piece);
    // The text of what was held back; the file has ended.
    std::string finish();

private:
    void takeMark();
    std::string takeDecodable(bool last);
    std::size_t utf16Complete() const;
    std::size_t utf8Complete() const;

    bool encodingKnown_ = false;
    TextEncoding encoding_ = TextEncoding::Unmarked;
    std::string pending_;
};

}  // namespace platform
