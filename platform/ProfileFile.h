// Reads single values from the INI-style profile file that holds the program's settings.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Values longer than this are cut, as the Windows call does with our fixed-size buffer.
inline constexpr std::size_t kProfileValueMaxLength = 2047;

struct ProfileValue {
    enum class Source {
        File,        // the key was found
        Default,     // the section or the key is missing
        FileMissing, // the file is missing (neither it nor a folder of its path is there)
        Unreadable,  // the file is there but cannot be read: `problem` says why
    };
    Source source = Source::Default;
    std::string value;    // UTF-8: the value or the default; for Unreadable the empty text
    std::string problem;  // for Unreadable, e.g. "Is a directory"
};

// Reads one value the way the Windows profile function GetPrivateProfileStringA does:
// section and key found without regard to ASCII case; blanks, tabs, vertical tabs, form
// feeds and Ctrl-Z around names and values dropped; a NUL ends a name or a value; enclosing
// quotes removed; at most kProfileValueMaxLength UTF-16 units (bytes, in a file without a
// mark); lines of any length. The file is Windows-1250, or UTF-16LE, UTF-16BE or UTF-8
// after a byte order mark; the value comes back as Windows-1250 holds it ('?' for what it
// lacks). It is read in pieces, never held whole. Never blocks on a FIFO or device and
// never throws.
// `defaultValue` is UTF-8.
ProfileValue readProfileString(const std::filesystem::path& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue);

// The same lookup over a file's Windows-1250 bytes; returns Windows-1250 bytes.
std::string profileStringFromText(std::string_view contents, std::string_view section,
                                  std::string_view key, std::string_view defaultValue);

}  // namespace platform
