// Reads single values from the INI-style profile file that holds the program's settings.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Values longer than this are cut, as the Windows call does with our fixed-size buffer.
inline constexpr std::size_t kProfileValueMaxLength = 2047;

// Reads one value the way the Windows profile function GetPrivateProfileStringA does.
// Returns bytes as they stand in the file (the file's text is Windows-1250).
// A file that is missing or cannot be read gives `defaultValue`; this never throws.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// The same lookup over the file's bytes, for callers and tests that have no file.
std::string profileStringFromText(std::string_view contents, std::string_view section,
                                  std::string_view key, std::string_view defaultValue);

}  // namespace platform
