// A small hand parser: a handful of options are all the console program takes.
#include "app/cli/CommandLine.h"

#include "app/cli/ConsoleTexts.h"

#include <string_view>

namespace cli {

namespace {

constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";
constexpr std::string_view kTrialRunOption = "--dry-run";
constexpr std::string_view kHostOption = "--host";
constexpr std::string_view kConfigOption = "--config";

CommandLine wrong(std::string_view argument, const char* problem)
{
    CommandLine result;
    result.action = CommandLine::Action::Wrong;
    result.wrongArgument = argument;
    result.problem = problem;
    return result;
}

// The value of `option` given as "--option VALUE" or "--option=VALUE"; nullopt when
// `argument` is not that option.
std::optional<std::optional<std::string>> optionValue(std::span<const char* const> arguments, std::size_t& i,
                                                      std::string_view option)
{
    const std::string_view argument = arguments[i];
    if (argument == option)
        return i + 1 < arguments.size() ? std::optional<std::string>(arguments[++i]) : std::nullopt;
    if (argument.starts_with(option) && argument.size() > option.size() && argument[option.size()] == '=')
        return std::optional<std::string>(argument.substr(option.size() + 1));
    return std::nullopt;
}

}  // namespace

CommandLine parseCommandLine(std::span<const char* const> arguments)
{
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == kHelpOption) {
            result.action = CommandLine::Action::ShowHelp;
        } else if (argument == kVersionOption) {
            if (result.action != CommandLine::Action::ShowHelp)
                result.action = CommandLine::Action::ShowVersion;
        } else if (argument == kTrialRunOption) {
            result.trialRun = true;
        } else if (auto host = optionValue(arguments, i, kHostOption)) {
            if (!*host)
                return wrong(kHostOption, texts::kValueMissing);
            // An empty host would mean the local server to the client library; a script
            // whose variable came out empty must not update that one by surprise.
            if ((*host)->empty())
                return wrong(kHostOption, texts::kEmptyHost);
            result.host = **host;
        } else if (auto file = optionValue(arguments, i, kConfigOption)) {
            if (!*file || (*file)->empty())
                return wrong(kConfigOption, texts::kValueMissing);
            result.configurationFile = **file;
        } else {
            return wrong(argument, texts::kUnknownArgument);
        }
    }
    return result;
}

}  // namespace cli
