// The console program's command line: what to do, with which servers and how.
#pragma once

#include "app/cli/RunSettings.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Wrong };

    Action action = Action::Run;
    // Bytes as given on the command line (the terminal's encoding); none given and no
    // hosts file: the address in the configuration file.
    std::vector<std::string> hosts;
    std::optional<std::string> hostsFile;
    // Another configuration file than the installed one.
    std::optional<std::string> configurationFile;
    // How each server is updated.
    RunSettings run;

    // For Action::Wrong: the message pattern (%1 the program, %2 the argument) and the
    // argument that is not understood, the option that lacks its value or the wrong value.
    std::string problemText;
    std::string wrongArgument;
};

// `arguments` without the program's own name; the options are those of kOptions.
CommandLine parseCommandLine(std::span<const char* const> arguments);

// The addresses in a hosts file's text: one a line, blanks around it dropped, '#' starting
// a comment; a line without a visible character gives none.
std::vector<std::string> hostsInFile(std::string_view text);

// True when `text` has a character besides blanks and control characters: an address
// that is not would mean the local server to the client library.
bool hasVisibleCharacter(std::string_view text);

}  // namespace cli
