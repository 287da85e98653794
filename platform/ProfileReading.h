// What the profile readers of both systems share: a file read a piece at a time by the
// lookup rules, and the answers for a missing or an unreadable file.
#pragma once

#include "platform/ProfileFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Takes the next piece of a file; false when no further piece is wanted.
using PieceConsumer = std::function<bool(std::string_view)>;

// Reads `file` in pieces through `consume` until it returns false or the file ends;
// nullopt when that worked (or the file is missing: `missing` is then set), else why
// not. Each system's reader defines it (ProfileFilePosix.cpp, ProfileFileWindows.cpp).
std::optional<std::string> readProfilePieces(const std::filesystem::path& file, bool& missing,
                                             const PieceConsumer& consume);

// The value read from `file` by the rules of ProfileRules.h, decoded by ProfileDecoder.
ProfileValue readProfileFollowingRules(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key, std::string_view defaultValue);

// Who reads a file on Windows, chosen by its first bytes. Windows' own profile functions
// honour only the UTF-16LE mark: after a UTF-8 mark they would read the file as the code
// page's text, the mark part of the first line (so a section named there is lost), and a
// UTF-16BE file as text of no use at all; both would give the default in silence, where
// the configured address was meant. So:
enum class ProfileReader {
    SystemBytes,    // no mark: GetPrivateProfileStringA, the bytes are Windows-1250
    SystemUnicode,  // the UTF-16LE mark: GetPrivateProfileStringW
    OwnRules,       // the UTF-8 or UTF-16BE mark: readProfileFollowingRules, as on Linux
};
ProfileReader profileReaderFor(std::string_view firstBytes);

ProfileValue unreadableProfile(std::string problem);

// `defaultValue` (UTF-8) cut as a value of the file would be.
ProfileValue defaultProfileValue(std::string_view defaultValue,
                                 ProfileValue::Source source = ProfileValue::Source::Default);

}  // namespace platform
