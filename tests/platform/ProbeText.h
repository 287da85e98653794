// The text form in which the profile probe and the differential test exchange values.
#pragma once

#include "platform/ProfileFile.h"

#include <string>

namespace probe_text {

// `bytes` as lowercase hexadecimal digits, two a byte, so any value travels on one line.
inline std::string hex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

// A reader's answer as the probe writes it: where the value came from (F the file, D the
// default, M the default for a missing file, U unreadable), then the value or the reason.
inline std::string answer(const platform::ProfileValue& read)
{
    switch (read.source) {
    case platform::ProfileValue::Source::File: return "F " + hex(read.value);
    case platform::ProfileValue::Source::Default: return "D " + hex(read.value);
    case platform::ProfileValue::Source::FileMissing: return "M " + hex(read.value);
    case platform::ProfileValue::Source::Unreadable: break;
    }
    return "U " + read.problem;
}

}  // namespace probe_text
