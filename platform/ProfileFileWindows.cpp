// The profile reader on Windows: Windows' own profile functions give the value of a file
// without a mark or with the UTF-16LE one; this side tells a missing file from an
// unreadable one, and itself reads a file with another mark and a path too long for them.
#include "platform/ProfileFile.h"

#include "platform/CodePage.h"
#include "platform/ProfileReading.h"
#include "platform/ProfileRules.h"
#include "platform/TextFile.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace platform {
namespace {

// Before the profile functions are asked: is the file missing, unreadable, and who reads
// it, by the byte order mark in its first bytes.
struct FileCheck {
    bool missing = false;
    ProfileReader reader = ProfileReader::SystemBytes;
    std::optional<std::string> problem;
};

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { CloseHandle(handle); }
};

FileCheck checkFile(const std::filesystem::path& file)
{
    FileCheck check;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        check.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (!check.missing)
            check.problem = "Windows error " + std::to_string(error);
        return check;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        check.problem = "Is a directory";
        return check;
    }
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        check.problem = "Windows error " + std::to_string(GetLastError());
        return check;
    }
    const HandleCloser closer{handle};
    std::array<char, 3> start{};
    DWORD count = 0;
    if (ReadFile(handle, start.data(), static_cast<DWORD>(start.size()), &count, nullptr))
        check.reader = profileReaderFor(std::string_view(start.data(), count));
    return check;
}

// The default marks "not found": no value of a real file holds these control characters.
constexpr char kNotFound[] = "\x01<not found>\x01";
constexpr wchar_t kNotFoundWide[] = L"\x01<not found>\x01";

std::string toSystemCodePage(std::wstring_view wide, bool* lost = nullptr)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const DWORD flags = lost ? WC_NO_BEST_FIT_CHARS : 0;
    const int length = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, lost ? &usedDefault : nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), length, nullptr, nullptr);
    if (lost)
        *lost = usedDefault != FALSE;
    return text;
}

// The W function's answer, or nullopt when the file does not have the entry.
std::optional<std::wstring> unicodeValue(const std::filesystem::path& file, std::string_view section,
                                         std::string_view key)
{
    std::array<wchar_t, kProfileValueMaxLength + 1> buffer{};
    const std::wstring sectionText = utf8ToWide(windows1250ToUtf8(section));
    const std::wstring keyText = utf8ToWide(windows1250ToUtf8(key));
    const DWORD length = GetPrivateProfileStringW(sectionText.c_str(), keyText.c_str(), kNotFoundWide, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    const std::wstring_view value(buffer.data(), length);
    if (value == kNotFoundWide)
        return std::nullopt;
    return std::wstring(value);
}

// The A function hands over the bytes of a file without a mark as they are (they pass
// through the system's code page and back): Windows-1250 whatever that code page is.
std::optional<std::string> valueFromBytes(const std::filesystem::path& file, std::string_view section,
                                          std::string_view key)
{
    bool pathLost = false;
    const std::string path = toSystemCodePage(file.native(), &pathLost);
    if (pathLost) {
        // The code page cannot name the file (letters of another script): the W function
        // reads it, and its answer takes the way back through the code page that the A
        // function's would.
        const auto wide = unicodeValue(file, section, key);
        return wide ? std::optional<std::string>(windows1250ToUtf8(cutProfileValue(toSystemCodePage(*wide))))
                    : std::nullopt;
    }
    std::array<char, kProfileValueMaxLength + 1> buffer{};
    const std::string sectionText(section), keyText(key);
    const DWORD length = GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), kNotFound, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
    const std::string value(buffer.data(), length);
    if (value == kNotFound)
        return std::nullopt;
    return windows1250ToUtf8(value);
}

// A file with the UTF-16LE mark is Unicode: the W function keeps its letters, where the A
// function would take them through the system's code page and lose those it lacks.
std::optional<std::string> valueFromUnicode(const std::filesystem::path& file, std::string_view section,
                                            std::string_view key)
{
    const auto wide = unicodeValue(file, section, key);
    if (!wide)
        return std::nullopt;
    // The same text as the Linux reader gives: Windows-1250, '?' for what it lacks, cut.
    return windows1250ToUtf8(cutProfileValue(utf8ToWindows1250(wideToUtf8(*wide))));
}

}  // namespace

// Reads a file that checkFile found readable; `file` in the long form where it needs it.
std::optional<std::string> readProfilePieces(const std::filesystem::path& file, bool& missing,
                                             const PieceConsumer& consume)
{
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? std::nullopt : std::optional<std::string>("Windows error " + std::to_string(error));
    }
    const HandleCloser closer{handle};
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return std::string("Not a regular file");
    std::array<char, 65536> buffer{};
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr))
            return "Windows error " + std::to_string(GetLastError());
        if (count == 0 || !consume(std::string_view(buffer.data(), count)))
            return std::nullopt;
    }
}

ProfileValue readProfileString(const std::filesystem::path& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue)
{
    const bool longPath = needsExtendedLength(file);
    const std::filesystem::path path = longPath ? extendedLengthPath(file) : file;
    const FileCheck check = checkFile(path);
    if (check.problem)
        return unreadableProfile(*check.problem);
    if (check.missing)
        return defaultProfileValue(defaultValue, ProfileValue::Source::FileMissing);
    // The profile functions take no path of MAX_PATH characters or more: such a file is
    // read here, by the rules that the differential test holds to theirs; so is a file
    // with a mark they do not honour.
    if (longPath || check.reader == ProfileReader::OwnRules)
        return readProfileFollowingRules(path, section, key, defaultValue);
    // Section and key are ASCII names; the profile functions take them in either form.
    const std::string sectionBytes = utf8ToWindows1250(section), keyBytes = utf8ToWindows1250(key);
    const auto value = check.reader == ProfileReader::SystemUnicode ? valueFromUnicode(file, sectionBytes, keyBytes)
                                                                    : valueFromBytes(file, sectionBytes, keyBytes);
    if (!value)
        return defaultProfileValue(defaultValue);
    return {ProfileValue::Source::File, *value, {}};
}

}  // namespace platform
