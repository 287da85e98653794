// Reading a user's text file whole, and the long form of Windows paths.
#include "platform/TextFile.h"

#include "platform/CodePage.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

#if defined(_WIN32)

std::filesystem::path extendedLengthPath(const std::filesystem::path& path)
{
    const std::wstring& given = path.native();
    if (given.starts_with(LR"(\\?\)"))
        return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    // The long form takes the path as it is: no "." or "..", no forward slashes.
    const std::wstring full = absolute.lexically_normal().make_preferred().native();
    if (full.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
}

bool needsExtendedLength(const std::filesystem::path& path)
{
    if (path.native().starts_with(LR"(\\?\)"))
        return true;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).native().size() >= MAX_PATH;
}

#endif

TextFile readTextFile(const std::filesystem::path& path)
{
#if defined(_WIN32)
    std::FILE* file = _wfopen(extendedLengthPath(path).c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (!file)
        return {{}, std::string(std::strerror(errno))};
    std::string bytes;
    std::array<char, 4096> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        bytes.append(buffer.data(), count);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed)
        return {{}, std::string(std::strerror(error))};
    return {markedTextToUtf8(bytes), std::nullopt};
}

}  // namespace platform
