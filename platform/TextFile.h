// Files that the user names: paths of any length on Windows, and whole text files read as
// Windows tools write them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

#if defined(_WIN32)
// `path` in the form Windows' wide file functions take beyond MAX_PATH characters:
// absolute, with backslashes, after "\\?\" ("\\?\UNC\" for a share). A path already in
// that form is returned as it is.
std::filesystem::path extendedLengthPath(const std::filesystem::path& path);

// True when the profile functions and the C library cannot take `path` as it is.
bool needsExtendedLength(const std::filesystem::path& path);
#endif

struct TextFile {
    std::string text;                    // UTF-8
    std::optional<std::string> problem;  // why the file could not be read, e.g. "No such file or directory"
};

// Reads a whole text file: UTF-8, UTF-16LE or UTF-16BE after a byte order mark (the mark
// dropped), UTF-8 without one. Paths longer than MAX_PATH are read on Windows as well.
TextFile readTextFile(const std::filesystem::path& path);

}  // namespace platform
