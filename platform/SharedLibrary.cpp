// Run-time library loading over the system's dynamic loader.
#include "platform/SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace platform {

namespace {

void* openLibrary(const std::string& name, std::string& reason)
{
#if defined(_WIN32)
    void* handle = reinterpret_cast<void*>(LoadLibraryA(name.c_str()));
    if (!handle)
        reason = "LoadLibrary failed with code " + std::to_string(GetLastError());
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

}  // namespace platform
