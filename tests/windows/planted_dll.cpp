// A DLL that only leaves a trace: when a process loads it, it creates "<its own file>.loaded"
// beside itself, so a test can see whether a planted copy was ever loaded.
#include <windows.h>

#include <cwchar>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    static wchar_t marker[32768];
    const DWORD length = GetModuleFileNameW(self, marker, 32760);
    if (length == 0 || length >= 32760)
        return TRUE;
    std::wcscpy(marker + length, L".loaded");
    const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
