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
    // Another configuration file than the installed one.
    std::optional<std::string> configurationFile;
    // List and print each statement, send none.
    bool trialRun = false;
    // For Action::Wrong: the message pattern (%1 the program, %2 the argument) and the
    // argument that is not understood or the option that lacks its value.
    const char* problem = nullptr;
    std::string wrongArgument;
};

// `arguments` without the program's own name.
CommandLine parseCommandLine(std::span<const char* const> arguments);

}  // namespace cli
