// Runs a program in a console of its own and writes what the console's screen shows
// afterwards, as a user would read it:
//
//   console_screen OUTPUT PROGRAM [ARGUMENTS...]
//
// OUTPUT gets the console's output mode before and after the program ("mode 3 3"), then
// one line per screen row up to the cursor's row (UTF-8, trailing blanks cut); the exit
// status is the program's. It uses the console it was started in, or makes one. The rows are read with
// ReadConsoleOutputCharacterW, so that an escape sequence the console did not act on is
// there as the characters it shows.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The command line of PROGRAM [ARGUMENTS...], each quoted (none of the tests' holds a quote).
std::wstring commandLine(int argc, wchar_t* argv[], int first)
{
    std::wstring line;
    for (int i = first; i < argc; ++i)
        line += (line.empty() ? L"\"" : L" \"") + std::wstring(argv[i]) + L"\"";
    return line;
}

}  // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (argc < 3) {
        std::fputs("usage: console_screen OUTPUT PROGRAM [ARGUMENTS...]\n", stderr);
        return 64;
    }
    AllocConsole();
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD modeBefore = 0;
    if (!GetConsoleMode(screen, &modeBefore)) {
        std::fprintf(stderr, "console_screen: no console (%lu)\n", GetLastError());
        return 70;
    }
    // Tall enough that nothing the program writes scrolls away.
    SetConsoleScreenBufferSize(screen, COORD{120, 2000});

    // The program's standard streams are this console, whatever this helper's were.
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherited, OPEN_EXISTING, 0, nullptr);
    const HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &inherited, OPEN_EXISTING, 0, nullptr);
    std::wstring command = commandLine(argc, argv, 2);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "console_screen: the program did not start (%lu)\n", GetLastError());
        return 70;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 70;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    DWORD modeAfter = 0;
    GetConsoleMode(screen, &modeAfter);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    std::FILE* rows = _wfopen(argv[1], L"wb");
    if (!rows)
        return 70;
    std::fprintf(rows, "mode %lx %lx\n", modeBefore, modeAfter);
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring text(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), COORD{0, row}, &read);
        text.resize(read);
        text.erase(text.find_last_not_of(L' ') + 1);
        const std::string line = utf8(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), rows);
    }
    std::fclose(rows);
    return static_cast<int>(status);
}
