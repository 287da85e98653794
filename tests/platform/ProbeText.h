// The text form in which the profile probe and the differential test exchange values.
#pragma once

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

}  // namespace probe_text
