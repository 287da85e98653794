// The console program's entry on POSIX: the arguments in the locale's bytes.
#include "app/cli/ConsoleProgram.h"

int main(int argc, char* argv[])
{
    return cli::runConsoleProgram(std::vector<std::string>(argv + 1, argv + argc));
}
