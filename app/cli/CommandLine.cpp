// The command line read by CLI11; the messages and the help are the program's own, in Czech.
#include "app/cli/CommandLine.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/Terminal.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <string_view>

namespace cli {

namespace {

CommandLine wrong(std::string_view argument, std::string problem)
{
    CommandLine result;
    result.action = CommandLine::Action::Wrong;
    result.wrongArgument = argument;
    result.problemText = std::move(problem);
    return result;
}

// A whole number from `low` to `high`, written in decimal digits only.
std::optional<unsigned> numberIn(const std::string& text, unsigned low, unsigned high)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value < low || value > high)
        return std::nullopt;
    return value;
}

// An option with a number; its text is checked after parsing, for a message of our own.
struct NumberOption {
    const char* name;
    unsigned low;
    unsigned high;
    unsigned* target;
    std::string text;
};

// CLI11 names the option first in the message of a missing value: "--host: 1 required TEXT missing".
std::string optionNamedIn(const std::string& message)
{
    return message.substr(0, message.find(':'));
}

}  // namespace

std::vector<std::string> hostsInFile(std::string_view text)
{
    std::vector<std::string> hosts;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        hosts.emplace_back(line);
    }
    return hosts;
}

CommandLine parseCommandLine(std::span<const char* const> arguments)
{
    CommandLine result;
    CLI::App app;
    // The help and the messages are written by the program, in its own language.
    app.set_help_flag();
    app.allow_extras();

    bool help = false;
    bool version = false;
    std::string format = "text";
    std::string hostsFile;
    std::string configurationFile;
    std::string tlsCaFile;
    std::vector<NumberOption> numbers = {
        {"--connect-timeout", 0, 86400, &result.run.connectTimeout, {}},
        {"--timeout", 0, 86400, &result.run.answerTimeout, {}},
        {"--parallel", 1, 64, &result.parallel, {}},
        {"--batch", 1, 1000, &result.run.batch, {}},
        {"--sessions", 1, 64, &result.run.sessions, {}},
    };
    const auto single = [](CLI::Option* option) { option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast); };

    app.add_flag("-h,--help", help);
    app.add_flag("-V,--version", version);
    app.add_flag("--dry-run", result.run.dryRun);
    app.add_flag("--tls", result.run.tls);
    app.add_option("--host", result.hosts)->allow_extra_args(false)->type_size(1);
    single(app.add_option("--hosts-file", hostsFile));
    single(app.add_option("--config", configurationFile));
    single(app.add_option("--format", format));
    single(app.add_option("--tls-ca", tlsCaFile));
    for (NumberOption& number : numbers)
        single(app.add_option(number.name, number.text));

    // CLI11 takes "--host=" for an option without its value; it is an empty address.
    for (const char* argument : arguments) {
        if (std::string_view(argument) == "--")
            break;
        if (std::string_view(argument) == "--host=")
            return wrong("--host", texts::kEmptyHost);
    }

    std::vector<std::string> words;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        words.emplace_back(*it);  // CLI11 takes them last first
    try {
        app.parse(words);
    } catch (const CLI::ArgumentMismatch& error) {
        return wrong(optionNamedIn(error.what()), texts::kValueMissing);
    } catch (const CLI::ParseError& error) {
        return wrong(error.what(), texts::kWrongCommandLine);
    }

    if (help) {
        result.action = CommandLine::Action::ShowHelp;
        return result;
    }
    if (version) {
        result.action = CommandLine::Action::ShowVersion;
        return result;
    }
    // "--" ends the options; nothing may follow it, since the program takes no operands.
    std::vector<std::string> rest = app.remaining();
    if (!rest.empty() && rest.front() == "--")
        rest.erase(rest.begin());
    if (!rest.empty())
        return wrong(rest.front(), texts::kUnknownArgument);

    for (const std::string& host : result.hosts) {
        // An empty host would mean the local server to the client library; a script
        // whose variable came out empty must not update that one by surprise.
        if (host.empty())
            return wrong("--host", texts::kEmptyHost);
    }
    if (app.count("--hosts-file") > 0) {
        if (hostsFile.empty())
            return wrong("--hosts-file", texts::kValueMissing);
        result.hostsFile = hostsFile;
    }
    if (app.count("--config") > 0) {
        if (configurationFile.empty())
            return wrong("--config", texts::kValueMissing);
        result.configurationFile = configurationFile;
    }
    if (format == "json")
        result.run.format = ReportFormat::Json;
    else if (format != "text")
        return wrong(format, texts::kWrongFormat);
    if (app.count("--tls-ca") > 0) {
        if (tlsCaFile.empty())
            return wrong("--tls-ca", texts::kValueMissing);
        result.run.tlsCaFile = tlsCaFile;
        result.run.tls = true;  // a certificate authority only makes sense for a verified session
    }
    for (const NumberOption& number : numbers) {
        if (app.count(number.name) == 0)
            continue;
        const std::optional<unsigned> value = numberIn(number.text, number.low, number.high);
        if (!value)
            return wrong(number.text, fill(texts::kWrongNumber, {"%1", "%2", number.name, std::to_string(number.low),
                                                                 std::to_string(number.high)}));
        *number.target = *value;
    }
    return result;
}

}  // namespace cli
