// Run-time library loading on Windows: only the program's own folder and System32.
#include "platform/SharedLibrary.h"

#include "platform/FilePath.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include <vector>

namespace platform {

void* SharedLibrary::open(const std::string& name, std::string& reason)
{
    // A bare name found through the search order could be any file of that name in the
    // current folder or on PATH; only the one beside the program is ours.
    std::filesystem::path file = pathFromUtf8(name);
    std::error_code error;
    file = file.has_parent_path() ? std::filesystem::absolute(file, error) : programFolder() / file;
    if (!file.is_absolute()) {
        // Only a full path keeps the search order out of it.
        reason = name + ": the program's folder is not known";
        return nullptr;
    }
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)  // a Windows 7 without the search flags
        module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD failure = GetLastError();
    if (!module)
        reason = utf8FromPath(file) + ": LoadLibrary failed with code " + std::to_string(failure);
    return reinterpret_cast<void*>(module);
}

void SharedLibrary::Closer::operator()(void* handle) const noexcept
{
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
}

void* SharedLibrary::symbol(const char* name) const noexcept
{
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_.get()), name));
}

bool restrictLibrarySearch()
{
    // Looked up rather than linked: a Windows 7 without its 2011 loader update lacks the
    // function, and the program must still start there, with the current folder at
    // least taken out of the search.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    SetDllDirectoryW(L"");
    return false;
}

void forgetLibraryLoadingVariables()
{
    // The library's other variables name option files, which it reads only when asked
    // to (this program never does), and ports and a password, which load nothing.
    for (const wchar_t* name : {L"LIBMYSQL_PLUGINS", L"MARIADB_PLUGIN_DIR"}) {
        // The C runtime keeps a copy of the environment, which the library reads (both
        // use msvcrt.dll); "NAME=" takes the variable out of it and out of Windows' block.
        _wputenv((std::wstring(name) + L"=").c_str());
        SetEnvironmentVariableW(name, nullptr);
    }
}

std::filesystem::path folderOfBareLibraryNames()
{
    return programFolder();
}

std::filesystem::path programFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path();
        buffer.resize(buffer.size() * 2);  // cut short: a long path
    }
}

}  // namespace platform
