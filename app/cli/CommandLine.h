// The console program's command line: what to do and with which server.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace cli {

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Wrong };

    Action action = Action::Run;
    // Bytes as given on the command line (the terminal's encoding); none: the INI file.
    std::optional<std::string> host;
    // List and print each statement, send none.
    bool trialRun = false;
    // For Action::Wrong: the argument that is not understood, or the option that
    // lacks its value.
    std::string wrongArgument;
    bool valueMissing = false;
};

// `arguments` without the program's own name.
CommandLine parseCommandLine(std::span<const char* const> arguments);

}  // namespace cli
