// Answers the Linux-driven tests' questions about Windows as Wine shows it to a program:
//   windows_probe acp            the system (ANSI) code page
//   windows_probe output-cp      the console's output code page (0: no console)
//   windows_probe load FILE      loads FILE by full path; prints 1 when it loaded
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

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
    std::fputs("usage: windows_probe acp | output-cp | load FILE\n", stderr);
    return 64;
}
