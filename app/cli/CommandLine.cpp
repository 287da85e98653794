// The command line read by CLI11 with the options of the option table; the messages are
// the program's own, in Czech.
#include "app/cli/CommandLine.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/OptionTable.h"
#include "app/cli/Terminal.h"
#include "data/Trim.h"

#include <CLI/CLI.hpp>

#include <array>
#include <charconv>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace cli {

namespace {

constexpr std::size_t kOptionCount = std::size(kOptions);

// Blanks around an address in a hosts file.
constexpr std::string_view kBlanks = " \t\r\v\f";

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

// The words a choice takes: "text|json" gives "text nebo json".
std::string choiceWords(std::string_view words)
{
    std::string out;
    for (const char c : words)
        out += c == '|' ? std::string(" nebo ") : std::string(1, c);
    return out;
}

bool isOneOf(std::string_view value, std::string_view words)
{
    while (!words.empty()) {
        const std::size_t end = words.find('|');
        if (words.substr(0, end) == value)
            return true;
        words = end == std::string_view::npos ? std::string_view() : words.substr(end + 1);
    }
    return false;
}

// CLI11 names the option first in the message of a missing value: "--host: 1 required TEXT missing".
std::string optionNamedIn(const std::string& message)
{
    return message.substr(0, message.find(':'));
}

std::string cliNames(const Option& option)
{
    return option.shortName.empty() ? std::string(option.name)
                                     : std::string(option.shortName) + "," + std::string(option.name);
}

// Where a single text's value goes.
void takeText(CommandLine& result, std::string_view option, const std::string& value)
{
    if (option == "--hosts-file") {
        result.hostsFile = value;
    } else if (option == "--config") {
        result.configurationFile = value;
    } else if (option == "--tls-ca") {
        result.run.tlsCaFile = value;
        result.run.tls = true;  // a certificate authority only makes sense for a verified session
    } else if (option == "--format") {
        result.run.format = value == "json" ? ReportFormat::Json : ReportFormat::Text;
    } else {
        throw std::logic_error("the option " + std::string(option) + " has no place for its value");
    }
}

// What the parser holds for each row of the table, by the row's place in it.
struct GivenValues {
    std::array<bool, kOptionCount> flags{};
    std::array<std::string, kOptionCount> texts;
    std::array<std::vector<std::string>, kOptionCount> lists;
    std::array<const CLI::Option*, kOptionCount> options{};
};

void addOptions(CLI::App& app, GivenValues& given)
{
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const Option& option = kOptions[i];
        switch (option.kind) {
        case OptionKind::Flag:
        case OptionKind::Action: given.options[i] = app.add_flag(cliNames(option), given.flags[i]); break;
        case OptionKind::Texts:
            given.options[i] = app.add_option(cliNames(option), given.lists[i])->allow_extra_args(false)->type_size(1);
            break;
        case OptionKind::Number:
        case OptionKind::Text:
        case OptionKind::Choice:
            given.options[i] = app.add_option(cliNames(option), given.texts[i])
                                   ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
            break;
        case OptionKind::EndOfOptions: break;  // CLI11 knows "--"
        }
    }
}

// The values given, checked and put in place; the first wrong one ends the reading.
std::optional<CommandLine> takeValues(CommandLine& result, const GivenValues& given)
{
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const Option& option = kOptions[i];
        if (!given.options[i] || given.options[i]->count() == 0)
            continue;
        const std::string& text = given.texts[i];
        switch (option.kind) {
        case OptionKind::Flag: result.run.*option.flag = true; break;
        case OptionKind::Number: {
            const std::optional<unsigned> value = numberIn(text, option.low, option.high);
            if (!value) {
                return wrong(text, fill(texts::kWrongNumber, {"%1", "%2", option.name, std::to_string(option.low),
                                                              std::to_string(option.high)}));
            }
            result.run.*option.number = *value;
            break;
        }
        case OptionKind::Texts:
            for (const std::string& value : given.lists[i]) {
                // An empty or blank host would mean the local server to the client library;
                // a script whose variable came out empty must not update that one by surprise.
                if (!hasVisibleCharacter(value))
                    return wrong(option.name, texts::kEmptyHost);
            }
            result.hosts = given.lists[i];
            break;
        case OptionKind::Text:
            if (text.empty())
                return wrong(option.name, texts::kValueMissing);
            takeText(result, option.name, text);
            break;
        case OptionKind::Choice:
            if (!isOneOf(text, option.valueCzech))
                return wrong(text, fill(texts::kWrongChoice, {"%1", "%2", option.name, choiceWords(option.valueCzech)}));
            takeText(result, option.name, text);
            break;
        case OptionKind::Action:
        case OptionKind::EndOfOptions: break;
        }
    }
    return std::nullopt;
}

}  // namespace

bool hasVisibleCharacter(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte != 0x7F)
            return true;
    }
    return false;
}

std::vector<std::string> hostsInFile(std::string_view text)
{
    std::vector<std::string> hosts;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        // Whatever the blanks trimmed below, a line without a visible character is no
        // address: an empty one would reach the local server.
        if (!hasVisibleCharacter(line))
            continue;
        hosts.emplace_back(data::trimmed(line, kBlanks));
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
    GivenValues given;
    addOptions(app, given);

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

    // Help outweighs version, and both outweigh everything else on the line.
    for (const auto& [name, action] : {std::pair{"--help", CommandLine::Action::ShowHelp},
                                       std::pair{"--version", CommandLine::Action::ShowVersion}}) {
        if (app.count(name) > 0) {
            result.action = action;
            return result;
        }
    }
    // "--" ends the options; nothing may follow it, since the program takes no operands.
    std::vector<std::string> rest = app.remaining();
    if (!rest.empty() && rest.front() == "--")
        rest.erase(rest.begin());
    if (!rest.empty())
        return wrong(rest.front(), texts::kUnknownArgument);

    if (std::optional<CommandLine> problem = takeValues(result, given))
        return std::move(*problem);
    return result;
}

}  // namespace cli
