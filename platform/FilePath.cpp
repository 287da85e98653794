// UTF-8 file names to and from std::filesystem::path, without the narrow code page.
#include "platform/FilePath.h"

#include "platform/CodePage.h"

#if defined(_WIN32)
#include <windows.h>

#include <vector>
#endif

namespace platform {

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
#if defined(_WIN32)
    return std::filesystem::path(utf8ToWide(utf8));
#else
    return std::filesystem::path(std::string(utf8));
#endif
}

std::string utf8FromPath(const std::filesystem::path& path)
{
#if defined(_WIN32)
    return wideToUtf8(path.native());
#else
    return path.native();
#endif
}

}  // namespace platform

#if defined(_WIN32)

namespace platform {

namespace {

std::optional<std::string> exactlyInSystemCodePage(std::wstring_view wide)
{
    const int size = static_cast<int>(wide.size());
    BOOL lost = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &lost);
    if (length <= 0 || lost)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

std::optional<std::string> pathInSystemCodePage(const std::filesystem::path& path)
{
    if (auto text = exactlyInSystemCodePage(path.native()))
        return text;
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0)
        return std::nullopt;
    std::vector<wchar_t> shortPath(length);
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length);
    if (written == 0 || written >= length)
        return std::nullopt;
    return exactlyInSystemCodePage(std::wstring_view(shortPath.data(), written));
}

}  // namespace platform

#endif
