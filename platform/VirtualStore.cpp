// The per-user copies of UAC's file virtualisation.
#include "platform/VirtualStore.h"

#include "platform/CodePage.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace platform {

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::optional<std::string> virtualStoreCopy(std::string_view file, std::string_view localAppData)
{
    if (file.size() < 4 || !isDriveLetter(file[0]) || file[1] != ':' || !isSeparator(file[2]))
        return std::nullopt;
    std::string copy(localAppData);
    while (!copy.empty() && isSeparator(copy.back()))
        copy.pop_back();
    copy += "\\VirtualStore\\";
    for (char c : file.substr(3))
        copy += c == '/' ? '\\' : c;
    return copy;
}

std::string fileReadByLegacyProgram(std::string_view file, bool elevated,
                                    const std::optional<std::string>& localAppData,
                                    const std::function<bool(const std::string&)>& exists)
{
    // An elevated process is never virtualised: it reads and writes the real folder.
    if (elevated || !localAppData)
        return std::string(file);
    const auto copy = virtualStoreCopy(file, *localAppData);
    return copy && exists(*copy) ? *copy : std::string(file);
}

#if defined(_WIN32)

namespace {

// A token that cannot be asked (Windows before Vista) has no virtualisation either.
bool processIsElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool asked = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return !asked || elevation.TokenIsElevated != 0;
}

std::optional<std::string> localAppData()
{
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), static_cast<DWORD>(value.size()));
        if (length == 0)
            return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return wideToUtf8(value);
        }
        value.resize(length);
    }
}

}  // namespace

std::string fileReadByLegacyProgram(std::string_view file)
{
    return fileReadByLegacyProgram(file, processIsElevated(), localAppData(), [](const std::string& path) {
        return GetFileAttributesW(utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

#endif

}  // namespace platform
