// Windows-1250 conversion on Windows: the system's code page functions.
#include "platform/CodePage.h"

#include <windows.h>

namespace platform {

namespace {

constexpr char kDefaultCharacter = '?';
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

}  // namespace

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

}  // namespace platform
