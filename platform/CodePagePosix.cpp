// Windows-1250 conversion on Linux: the C library's iconv.
#include "platform/CodePage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <memory>

namespace platform {

namespace {

constexpr char kDefaultCharacter = '?';

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

// What stands in for the text where iconv stopped, and how many bytes of it that takes.
struct Stop {
    std::string replacement;
    std::size_t length = 1;
};

// `input` converted by iconv from `from` to `to`; where iconv stops, `atStop` says what to
// write and how far to go on (without a converter it is asked for every character). The
// descriptor is closed and the text so far dropped whatever leaves the loop.
template <typename AtStop>
std::string convert(const char* to, const char* from, std::string_view input, AtStop atStop)
{
    std::string out;
    const Converter converter = openConverter(to, from);
    while (!input.empty()) {
        input.remove_prefix(converter ? convertPrefix(converter.get(), input, out) : 0);
        if (input.empty())
            break;
        const Stop stop = atStop(input);
        out += stop.replacement;
        input.remove_prefix(stop.length);
    }
    return out;
}

}  // namespace

std::string windows1250ToUtf8(std::string_view bytes)
{
    return convert(kIconvUtf8, kIconvWindows1250, bytes, [](std::string_view rest) {
        // iconv stops only at one of the five undefined bytes (at any byte without a converter).
        const auto byte = static_cast<unsigned char>(rest.front());
        std::string character;
        appendUtf8(character, isUndefinedByte(byte) || byte < 0x80 ? char32_t(byte) : U'\uFFFD');
        return Stop{character, 1};
    });
}

std::string utf8ToWindows1250(std::string_view text)
{
    return convert(kIconvWindows1250, kIconvUtf8, text, [](std::string_view rest) {
        const Utf8Character character = decodeUtf8(rest);
        if (character.length == 0)
            return Stop{std::string(1, kDefaultCharacter), 1};
        const bool undefinedByte =
            character.codePoint < 0x100 && isUndefinedByte(static_cast<unsigned char>(character.codePoint));
        if (character.codePoint < 0x80 || undefinedByte)
            return Stop{std::string(1, static_cast<char>(character.codePoint)), character.length};
        return Stop{std::string(1, kDefaultCharacter), character.length};
    });
}

std::optional<std::string> windows1250Unavailable()
{
    if (!openConverter(kIconvWindows1250, kIconvUtf8) || !openConverter(kIconvUtf8, kIconvWindows1250))
        return std::string("the system's iconv cannot convert WINDOWS-1250 (glibc's gconv modules are missing)");
    return std::nullopt;
}

}  // namespace platform
