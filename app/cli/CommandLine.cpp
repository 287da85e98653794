// A small hand parser: four options are all the console program takes.
#include "app/cli/CommandLine.h"

#include <string_view>

namespace cli {

namespace {

constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";
constexpr std::string_view kTrialRunOption = "--dry-run";
constexpr std::string_view kHostOption = "--host";
constexpr std::string_view kHostOptionWithValue = "--host=";

CommandLine wrong(std::string_view argument, bool valueMissing)
{
    CommandLine result;
    result.action = CommandLine::Action::Wrong;
    result.wrongArgument = argument;
    result.valueMissing = valueMissing;
    return result;
}

}  // namespace

CommandLine parseCommandLine(std::span<const char* const> arguments)
{
    CommandLine result;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == kHelpOption) {
            result.action = CommandLine::Action::ShowHelp;
        } else if (argument == kVersionOption) {
            if (result.action != CommandLine::Action::ShowHelp)
                result.action = CommandLine::Action::ShowVersion;
        } else if (argument == kTrialRunOption) {
            result.trialRun = true;
        } else if (argument == kHostOption) {
            if (i + 1 == arguments.size())
                return wrong(argument, true);
            result.host = arguments[++i];
        } else if (argument.starts_with(kHostOptionWithValue)) {
            result.host = std::string(argument.substr(kHostOptionWithValue.size()));
        } else {
            return wrong(argument, false);
        }
    }
    return result;
}

}  // namespace cli
