// Conversion between UTF-8, UTF-16 and byte order marks: what both systems share. The
// Windows-1250 conversion itself is each system's own (CodePageWindows.cpp, CodePagePosix.cpp).
#include "platform/CodePage.h"

#include <utility>

namespace platform {

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

Utf8Character decodeUtf8(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80)
        return {1, lead};
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, codePoint = lead & 0x07;
    else
        return {};
    if (text.size() < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        codePoint = (codePoint << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF)
        return {};
    return {length, codePoint};
}

namespace {

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string text;
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : first | (second << 8));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 3 < bytes.size()) {
            const char16_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(text, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(text, (unit >= 0xD800 && unit <= 0xDFFF) ? U'\uFFFD' : char32_t(unit));
    }
    return text;
}

}  // namespace

std::string utf16leToUtf8(std::string_view bytes)
{
    return utf16ToUtf8(bytes, false);
}

std::string utf16beToUtf8(std::string_view bytes)
{
    return utf16ToUtf8(bytes, true);
}

ByteOrderMark byteOrderMarkOf(std::string_view start)
{
    if (start.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (start.starts_with("\xFF\xFE"))
        return {TextEncoding::Utf16le, 2};
    if (start.starts_with("\xFE\xFF"))
        return {TextEncoding::Utf16be, 2};
    return {TextEncoding::Unmarked, 0};
}

std::string markedTextToUtf8(std::string_view bytes)
{
    const ByteOrderMark mark = byteOrderMarkOf(bytes);
    bytes.remove_prefix(mark.length);
    switch (mark.encoding) {
    case TextEncoding::Utf16le: return utf16leToUtf8(bytes);
    case TextEncoding::Utf16be: return utf16beToUtf8(bytes);
    case TextEncoding::Utf8:
    case TextEncoding::Unmarked: break;
    }
    return std::string(bytes);
}

std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

std::size_t utf16UnitsOfLead(unsigned char lead)
{
    if ((lead & 0xC0) == 0x80)
        return 0;
    return lead >= 0xF0 ? 2 : 1;
}

namespace {

// The second byte of a sequence that shows it invalid whatever follows: an overlong form
// (E0 80..9F, F0 80..8F), a surrogate (ED A0..BF) or beyond U+10FFFF (F4 90..BF).
bool secondByteRulesItOut(unsigned char lead, unsigned char second)
{
    return (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
           (lead == 0xF4 && second >= 0x90);
}

// The length of the valid or invalid sequence at the start of `bytes` (never 0), and
// whether it is valid. The end of `bytes` cuts a sequence short as a byte that cannot
// continue it would: what it holds up to there is one invalid sequence.
std::pair<std::size_t, bool> nextSequence(std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80)
        return {1, true};
    const std::size_t length = utf8SequenceLength(lead);
    if (length == 1)
        return {1, false};
    for (std::size_t i = 1; i < length; ++i) {
        if (i == bytes.size())
            return {i, false};
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if ((byte & 0xC0) != 0x80)
            return {i, false};
        if (i == 1 && secondByteRulesItOut(lead, byte))
            return {2, false};
    }
    return {length, true};
}

}  // namespace

std::string utf8AsWindowsDecodesIt(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const auto [length, valid] = nextSequence(bytes);
        if (valid)
            text.append(bytes.substr(0, length));
        else
            appendUtf8(text, U'\uFFFD');
        bytes.remove_prefix(length);
    }
    return text;
}

}  // namespace platform
