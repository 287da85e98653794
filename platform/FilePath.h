// File names as the program holds them (UTF-8) turned into the file system's own form.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The path named by UTF-8 text. On Windows the text becomes UTF-16, the file system's
// own form, so that every name opens through the wide functions whatever the system's
// code page; a byte that is not UTF-8 becomes U+FFFD instead of an exception. Elsewhere
// the bytes are the name.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The UTF-8 text of `path`, for messages (pathFromUtf8's inverse).
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace platform

#if defined(_WIN32)
#include <optional>
namespace platform {
// `path` in the system's code page, for a library that opens files through the narrow
// (A) functions: the path itself when every letter has a byte there, else its short
// (8.3) form when the volume keeps one; nullopt when neither names it exactly.
std::optional<std::string> pathInSystemCodePage(const std::filesystem::path& path);
}  // namespace platform
#endif
