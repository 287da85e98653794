// The escapes that keep names and statements exact, the same on every system.
#include "app/cli/Terminal.h"

#include "platform/CodePage.h"

#include <array>
#include <cstdio>

namespace cli {

namespace {

void appendHex(std::string& out, const char* format, unsigned value)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    out += buffer.data();
}

}  // namespace

std::string escapedText(std::string_view utf8, bool asciiOnly, bool escapeBackslash)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const platform::Utf8Character character = platform::decodeUtf8(utf8.substr(i));
        const char32_t c = character.codePoint;
        const std::size_t length = character.length == 0 ? 1 : character.length;
        if (character.length == 0) {
            appendHex(out, "\\x%02X", static_cast<unsigned char>(utf8[i]));
        } else if (c == '\\' && escapeBackslash) {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            appendHex(out, "\\x%02X", static_cast<unsigned>(c));
        } else if ((c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029 || (asciiOnly && c >= 0x80)) {
            appendHex(out, "\\u{%04X}", static_cast<unsigned>(c));  // C1 controls and line separators too
        } else {
            out.append(utf8.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool placeholder = pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
                                 pattern[i + 1] <= '9';
        const std::size_t index = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
        if (placeholder && index < arguments.size()) {
            out += *(arguments.begin() + index);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::string Terminal::path(std::string_view utf8) const
{
    return message(escapedText(utf8, false, false));
}

}  // namespace cli
