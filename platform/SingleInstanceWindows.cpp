// The instance claim on Windows: a named mutex in the session's own namespace (Local\),
// which Windows keeps apart for every logged-on user and removes when its last holder ends.
#include "platform/SingleInstance.h"

#include <windows.h>

namespace platform {

InstanceClaim::InstanceClaim(const std::string& name)
{
    const std::wstring mutexName = L"Local\\" + std::wstring(name.begin(), name.end());
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // Denied: the name exists and belongs to a process of the session we may not open.
        held_ = error != ERROR_ACCESS_DENIED;
        return;
    }
    native_ = reinterpret_cast<std::intptr_t>(mutex);
    held_ = error != ERROR_ALREADY_EXISTS;
}

InstanceClaim::~InstanceClaim()
{
    if (native_ != kNone)
        CloseHandle(reinterpret_cast<HANDLE>(native_));
}

}  // namespace platform
