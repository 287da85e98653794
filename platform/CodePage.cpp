// Windows-1250 conversion: iconv on Linux, the code page functions on Windows.
#include "platform/CodePage.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <array>
#include <cerrno>
#include <memory>

namespace platform {

namespace {

constexpr char kDefaultCharacter = '?';

#if defined(_WIN32)

constexpr UINT kWindows1250 = 1250;

std::wstring toWide(UINT codePage, std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    // No best fit: a character the code page lacks becomes the default character, never
    // a look-alike that would name another database.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* defaultCharacter = codePage == CP_UTF8 ? nullptr : &kDefaultCharacter;
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, defaultCharacter, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), length, defaultCharacter, nullptr);
    return text;
}

#else

// The bytes Windows-1250 leaves undefined; Windows maps each to the C1 control of the
// same number and back.
constexpr std::array<unsigned char, 5> kUndefinedBytes = {0x81, 0x83, 0x88, 0x90, 0x98};

bool isUndefinedByte(unsigned char byte)
{
    for (unsigned char undefined : kUndefinedBytes)
        if (byte == undefined)
            return true;
    return false;
}

constexpr const char kIconvWindows1250[] = "WINDOWS-1250";
constexpr const char kIconvUtf8[] = "UTF-8";

struct IconvCloser {
    void operator()(void* descriptor) const noexcept { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter openConverter(const char* to, const char* from)
{
    iconv_t descriptor = iconv_open(to, from);
    return Converter(descriptor == reinterpret_cast<iconv_t>(-1) ? nullptr : descriptor);
}

// Converts what iconv can of `input` into `out` and returns how many bytes it used; it
// stops at the first sequence the target lacks or the source does not hold.
std::size_t convertPrefix(void* converter, std::string_view input, std::string& out)
{
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::array<char, 1024> buffer{};
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(static_cast<iconv_t>(converter), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG)
            break;
    }
    return input.size() - inLeft;
}

#endif

}  // namespace

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

#if defined(_WIN32)

std::wstring utf8ToWide(std::string_view text)
{
    return toWide(CP_UTF8, text);
}

std::string wideToUtf8(std::wstring_view wide)
{
    return fromWide(CP_UTF8, wide);
}

std::string windows1250ToUtf8(std::string_view bytes)
{
    return fromWide(CP_UTF8, toWide(kWindows1250, bytes));
}

std::string utf8ToWindows1250(std::string_view text)
{
    // Bytes that are not UTF-8 are replaced first, so that each becomes one '?'; so are
    // characters beyond the basic plane, which Windows would turn into one '?' for each
    // half of their surrogate pair.
    std::string valid;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character character = decodeUtf8(text.substr(i));
        if (character.length == 0) {
            valid += kDefaultCharacter;
            ++i;
        } else if (character.codePoint > 0xFFFF) {
            valid += kDefaultCharacter;
            i += character.length;
        } else {
            valid.append(text.substr(i, character.length));
            i += character.length;
        }
    }
    return fromWide(kWindows1250, toWide(CP_UTF8, valid));
}

std::optional<std::string> windows1250Unavailable()
{
    if (!IsValidCodePage(kWindows1250))
        return std::string("Windows does not offer code page 1250 on this machine");
    return std::nullopt;
}

#else

std::string windows1250ToUtf8(std::string_view bytes)
{
    std::string text;
    Converter converter = openConverter(kIconvUtf8, kIconvWindows1250);
    while (!bytes.empty()) {
        const std::size_t used = converter ? convertPrefix(converter.get(), bytes, text) : 0;
        bytes.remove_prefix(used);
        if (bytes.empty())
            break;
        // iconv stopped at a byte it does not know: one of the five undefined bytes.
        const auto byte = static_cast<unsigned char>(bytes.front());
        if (isUndefinedByte(byte) || byte < 0x80)
            appendUtf8(text, byte);
        else
            appendUtf8(text, U'\uFFFD');  // only without a converter
        bytes.remove_prefix(1);
    }
    return text;
}

std::string utf8ToWindows1250(std::string_view text)
{
    std::string bytes;
    Converter converter = openConverter(kIconvWindows1250, kIconvUtf8);
    while (!text.empty()) {
        const std::size_t used = converter ? convertPrefix(converter.get(), text, bytes) : 0;
        text.remove_prefix(used);
        if (text.empty())
            break;
        const Utf8Character character = decodeUtf8(text);
        if (character.length == 0) {
            bytes += kDefaultCharacter;
            text.remove_prefix(1);
            continue;
        }
        const bool undefinedByte = character.codePoint < 0x100 && isUndefinedByte(static_cast<unsigned char>(character.codePoint));
        if (character.codePoint < 0x80 || undefinedByte)
            bytes += static_cast<char>(character.codePoint);
        else
            bytes += kDefaultCharacter;
        text.remove_prefix(character.length);
    }
    return bytes;
}

std::optional<std::string> windows1250Unavailable()
{
    if (!openConverter(kIconvWindows1250, kIconvUtf8) || !openConverter(kIconvUtf8, kIconvWindows1250))
        return std::string("the system's iconv cannot convert WINDOWS-1250 (glibc's gconv modules are missing)");
    return std::nullopt;
}

#endif

}  // namespace platform
