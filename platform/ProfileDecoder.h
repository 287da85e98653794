// Turns a profile file's bytes, read in pieces, into the text its rules read.
#pragma once

#include "platform/CodePage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A byte order mark at the start says UTF-16LE, UTF-16BE or UTF-8: the text is then
// decoded to UTF-8 as Windows decodes it (an unpaired surrogate or an invalid UTF-8
// sequence becomes one U+FFFD). Without a mark the bytes are Windows-1250 text already and
// stay as they are. A character split between two pieces waits for the second.
class ProfileDecoder {
public:
    // The text of `piece` and of what earlier pieces held back.
    std::string decode(std::string_view piece);
    // The text of what was held back; the file has ended.
    std::string finish();

    // Whether the mark has been read yet (it has once decode returned text, and after
    // finish), and whether there was one: the text is UTF-8 then, else Windows-1250.
    bool encodingKnown() const noexcept { return encodingKnown_; }
    bool marked() const noexcept { return encoding_ != TextEncoding::Unmarked; }

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
