// The terminal's encoding and the escapes that keep names and statements exact.
#include "app/cli/Terminal.h"

#include "platform/CodePage.h"

#if !defined(_WIN32)
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#endif

#include <array>
#include <cerrno>
#include <cstdio>

namespace cli {

namespace {

void appendHex(std::string& out, const char* format, unsigned value)
{
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    out += buffer.data();
}

#if !defined(_WIN32)

bool isUtf8Codeset(std::string_view codeset)
{
    return codeset == "UTF-8" || codeset == "utf8" || codeset == "UTF8";
}

// Converts with iconv; with `transliterate`, what the target lacks is approximated under
// the C.UTF-8 locale's rules, which know how to drop accents.
std::string convert(std::string_view text, const std::string& to, const char* from, bool transliterate)
{
    const std::string target = transliterate ? to + "//TRANSLIT" : to;
    iconv_t descriptor = iconv_open(target.c_str(), from);
    if (descriptor == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    locale_t rules = transliterate ? newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr) : nullptr;
    const locale_t previous = rules ? uselocale(rules) : nullptr;

    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::array<char, 1024> buffer{};
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(descriptor, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';  // a sequence neither side can take
            ++in;
            --inLeft;
        }
    }
    if (rules) {
        uselocale(previous);
        freelocale(rules);
    }
    iconv_close(descriptor);
    return out;
}

#endif

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

#if defined(_WIN32)

Terminal::Terminal() : codeset_("UTF-8"), utf8_(true) {}

std::string Terminal::message(std::string_view utf8) const
{
    return std::string(utf8);
}

std::string Terminal::verbatim(std::string_view utf8) const
{
    return escapedText(utf8, false);
}

std::string Terminal::argument(std::string_view localBytes) const
{
    return std::string(localBytes);
}

#else

Terminal::Terminal() : codeset_(nl_langinfo(CODESET)), utf8_(isUtf8Codeset(codeset_)) {}

std::string Terminal::message(std::string_view utf8) const
{
    return utf8_ ? std::string(utf8) : convert(utf8, codeset_, "UTF-8", true);
}

std::string Terminal::verbatim(std::string_view utf8) const
{
    if (utf8_)
        return escapedText(utf8, false);
    // Escaped for ASCII first, so that only characters every code set has remain.
    return convert(escapedText(utf8, true), codeset_, "UTF-8", false);
}

std::string Terminal::argument(std::string_view localBytes) const
{
    return utf8_ ? std::string(localBytes) : convert(localBytes, "UTF-8", codeset_.c_str(), false);
}

#endif

std::string Terminal::path(std::string_view utf8) const
{
    return message(escapedText(utf8, false, false));
}

}  // namespace cli
