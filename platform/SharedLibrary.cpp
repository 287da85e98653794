// Run-time library loading over the system's dynamic loader.
#include "platform/SharedLibrary.h"

#include "platform/FilePath.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <vector>

namespace platform {

namespace {

void* openLibrary(const std::string& name, std::string& reason)
{
#if defined(_WIN32)
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
    void* handle = reinterpret_cast<void*>(module);
    if (!handle)
        reason = utf8FromPath(file) + ": LoadLibrary failed with code " + std::to_string(failure);
#else
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        reason = text ? text : "dlopen failed";
    }
#endif
    return handle;
}

}  // namespace

void SharedLibrary::Closer::operator()(void* handle) const noexcept
{
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

SharedLibrary::SharedLibrary(void* handle, std::string fileName)
    : handle_(handle), fileName_(std::move(fileName))
{
}

std::optional<SharedLibrary> SharedLibrary::loadFirst(const std::vector<std::string>& names,
                                                      std::string* failures)
{
    for (const std::string& name : names) {
        std::string reason;
        if (void* handle = openLibrary(name, reason))
            return SharedLibrary(handle, name);
        if (failures) {
            if (!failures->empty())
                failures->append("; ");
            failures->append(reason);
        }
    }
    return std::nullopt;
}

void* SharedLibrary::symbol(const char* name) const noexcept
{
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_.get()), name));
#else
    return dlsym(handle_.get(), name);
#endif
}

bool restrictLibrarySearch()
{
#if defined(_WIN32)
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
#else
    return true;
#endif
}

std::filesystem::path programFolder()
{
#if defined(_WIN32)
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path();
        buffer.resize(buffer.size() * 2);  // cut short: a long path
    }
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

}  // namespace platform
