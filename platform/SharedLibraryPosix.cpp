// Run-time library loading on Linux: the dynamic loader by name.
#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace platform {

void* SharedLibrary::open(const std::string& name, std::string& reason)
{
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        reason = text ? text : "dlopen failed";
    }
    return handle;
}

void SharedLibrary::Closer::operator()(void* handle) const noexcept
{
    dlclose(handle);
}

void* SharedLibrary::symbol(const char* name) const noexcept
{
    return dlsym(handle_.get(), name);
}

bool restrictLibrarySearch()
{
    return true;
}

void forgetLibraryLoadingVariables() {}

std::filesystem::path folderOfBareLibraryNames()
{
    return {};
}

std::filesystem::path programFolder()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

}  // namespace platform
