// The console program's entry on Windows: the command line as Windows holds it, UTF-16,
// converted once to the program's UTF-8; the narrow argv would come in the system's code
// page and lose every letter it lacks.
#include "app/cli/ConsoleProgram.h"
#include "platform/CodePage.h"
#include "platform/SharedLibrary.h"

int wmain(int argc, wchar_t* argv[])
{
    // Before anything can load a DLL: none from the current folder or PATH.
    platform::restrictLibrarySearch();
    platform::forgetLibraryLoadingVariables();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(platform::wideToUtf8(argv[i]));
    return cli::runConsoleProgram(arguments);
}
