// Answers the Linux-driven tests' questions about Windows as Wine shows it to a program:
//   windows_probe acp            the system (ANSI) code page
//   windows_probe output-cp      the console's output code page (0: no console)
//   windows_probe load FILE      loads FILE by full path; prints 1 when it loaded
//   windows_probe resources FILE the version information, the icon's sizes and the
//                                manifest that FILE carries, as Windows reads them
//   windows_probe notice TITLE   the texts of the window titled TITLE (a message box's
//                                words), one static control after another
//   windows_probe minimise TITLE minimises the window titled TITLE
//   windows_probe foreground     the title of the window at the front ("(minimised)" after
//                                it when it is), or "none"
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string narrow(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    return out;
}

// The entries of an icon group as it sits in a file's resources.
#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

int showResources(const wchar_t* file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    std::vector<char> version(size);
    if (size == 0 || !GetFileVersionInfoW(file, 0, size, version.data())) {
        std::printf("no version information\n");
    } else {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
            std::printf("FixedFileVersion %u.%u.%u.%u\n", unsigned{HIWORD(fixed->dwFileVersionMS)},
                        unsigned{LOWORD(fixed->dwFileVersionMS)}, unsigned{HIWORD(fixed->dwFileVersionLS)},
                        unsigned{LOWORD(fixed->dwFileVersionLS)});
        for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"ProductName", L"OriginalFilename"}) {
            wchar_t* value = nullptr;
            const std::wstring path = std::wstring(L"\\StringFileInfo\\040504B0\\") + name;
            if (VerQueryValueW(version.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value)
                std::printf("%s %s\n", narrow(name).c_str(), narrow(value).c_str());
        }
    }

    const HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        std::printf("cannot open\n");
        return 1;
    }
    std::printf("icon sizes");
    if (const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14))) {
        const auto* header = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
        const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 3);
        for (WORD i = 0; i < header[2]; ++i)
            std::printf(" %d", entries[i].width == 0 ? 256 : entries[i].width);
    }
    std::printf("\n");
    if (const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const DWORD bytes = SizeofResource(module, manifest);
        std::printf("manifest\n");
        std::fwrite(LockResource(LoadResource(module, manifest)), 1, bytes, stdout);
    }
    FreeLibrary(module);
    return 0;
}

BOOL CALLBACK printStaticText(HWND control, LPARAM)
{
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (_wcsicmp(className, L"Static") != 0)
        return TRUE;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    if (!text.empty())
        std::printf("%s\n", narrow(text.c_str()).c_str());
    return TRUE;
}

int showNotice(const wchar_t* title)
{
    const HWND window = FindWindowW(nullptr, title);
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    // The words as they are, line ends included: no "\r" added.
    _setmode(_fileno(stdout), _O_BINARY);
    EnumChildWindows(window, printStaticText, 0);
    return 0;
}

// Minimises the window titled `title`, as its taskbar button would.
int minimise(const wchar_t* title)
{
    const HWND window = FindWindowW(nullptr, title);
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    ShowWindow(window, SW_MINIMIZE);
    return IsIconic(window) ? 0 : 1;
}

// The title of the window at the front, and whether it is minimised.
int showForeground()
{
    _setmode(_fileno(stdout), _O_BINARY);
    const HWND window = GetForegroundWindow();
    if (!window) {
        std::printf("none\n");
        return 0;
    }
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(static_cast<std::size_t>(GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    std::printf("%s%s\n", narrow(title.c_str()).c_str(), IsIconic(window) ? " (minimised)" : "");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (argc == 2 && std::wcscmp(argv[1], L"acp") == 0) {
        std::printf("%u\n", GetACP());
        return 0;
    }
    if (argc == 2 && std::wcscmp(argv[1], L"output-cp") == 0) {
        std::printf("%u\n", GetConsoleOutputCP());
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"load") == 0) {
        std::printf("%d\n", LoadLibraryW(argv[2]) != nullptr ? 1 : 0);
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"resources") == 0)
        return showResources(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"notice") == 0)
        return showNotice(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"minimise") == 0)
        return minimise(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"foreground") == 0)
        return showForeground();
    std::fputs("usage: windows_probe acp | output-cp | load FILE | resources FILE | notice TITLE | minimise TITLE | "
               "foreground\n",
               stderr);
    return 64;
}
