// The help's lines: the synopsis, the options with their limits and defaults, and the
// exit statuses, each from its table, set in columns.
#include "app/cli/HelpText.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/OptionTable.h"
#include "app/cli/Terminal.h"

#include <algorithm>
#include <vector>

namespace cli {

namespace {

constexpr std::size_t kWidth = 79;

// Columns a UTF-8 text takes: one for each character.
std::size_t columnsOf(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The words of `text`, split at its blanks.
std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        text.remove_prefix(start);
        words.emplace_back(text.substr(0, text.find(' ')));
        text.remove_prefix(words.back().size());
    }
    return words;
}

// `words` in lines of at most kWidth columns (a longer word has a line of its own): the
// first after `firstIndent`, the others after `indent`.
std::string wrapped(const std::vector<std::string>& words, std::string_view firstIndent, std::string_view indent)
{
    std::string out(firstIndent);
    std::size_t column = columnsOf(firstIndent);
    bool lineHasWord = false;
    for (const std::string& word : words) {
        const std::size_t columns = columnsOf(word);
        if (lineHasWord && column + 1 + columns > kWidth) {
            out += '\n';
            out += indent;
            column = columnsOf(indent);
            lineHasWord = false;
        }
        if (lineHasWord) {
            out += ' ';
            ++column;
        }
        out += word;
        column += columns;
        lineHasWord = true;
    }
    return out;
}

std::string wrapped(std::string_view text, std::string_view firstIndent, std::string_view indent)
{
    return wrapped(wordsOf(text), firstIndent, indent);
}

// "[--host ADRESA]...", "[--dry-run]", "[--format text|json]".
std::string synopsisWord(const Option& option)
{
    std::string word = "[";
    word += option.name;
    if (!option.valueCzech.empty()) {
        word += ' ';
        word += option.valueCzech;
    }
    word += ']';
    if (option.kind == OptionKind::Texts)
        word += "...";
    return word;
}

// The usage line: each option's group kept on one line.
std::string synopsis()
{
    std::vector<std::string> words = {texts::kHelpUsage};
    for (const Option& option : kOptions) {
        if (option.kind != OptionKind::Action && option.kind != OptionKind::EndOfOptions)
            words.push_back(synopsisWord(option));
    }
    const std::string usage = texts::kHelpUsage;
    const std::string indent(columnsOf(usage.substr(0, usage.find(' '))) + 3, ' ');
    return wrapped(words, "", indent);
}

// "  -h, --help", "  --timeout S".
std::string optionColumn(const Option& option)
{
    std::string names = "  ";
    if (!option.shortName.empty()) {
        names += option.shortName;
        names += ", ";
    }
    names += option.name;
    if (!option.valueCzech.empty()) {
        names += ' ';
        names += option.valueCzech;
    }
    return names;
}

// What the option does, with its limits and default where it has them.
std::string optionDescription(const Option& option)
{
    std::string text(option.czech);
    if (option.kind == OptionKind::Number) {
        text += ' ';
        text += fill(texts::kHelpNumberRange,
                     {std::to_string(option.low), std::to_string(option.high), std::to_string(option.byDefault)});
    } else if (option.kind == OptionKind::Choice) {
        text += ' ';
        text += fill(texts::kHelpDefault, {option.valueCzech.substr(0, option.valueCzech.find('|'))});
    }
    return text;
}

std::string optionLines()
{
    std::size_t nameColumns = 0;
    for (const Option& option : kOptions)
        nameColumns = std::max(nameColumns, columnsOf(optionColumn(option)));
    const std::string indent(nameColumns + 2, ' ');
    std::string out;
    for (const Option& option : kOptions) {
        const std::string names = optionColumn(option);
        out += wrapped(optionDescription(option), names + std::string(indent.size() - columnsOf(names), ' '), indent);
        out += '\n';
    }
    return out;
}

std::string statusNumber(const ExitStatusRow& row)
{
    return row.shown.empty() ? std::to_string(row.number) : std::string(row.shown);
}

std::string exitStatusLines()
{
    std::size_t numberColumns = 0;
    for (const ExitStatusRow& row : kExitStatuses)
        numberColumns = std::max(numberColumns, statusNumber(row).size());
    const std::string indent(2 + numberColumns + 2, ' ');
    std::string out = fill(texts::kHelpExitStatuses, {serverStatusOrder()}) + "\n";
    for (const ExitStatusRow& row : kExitStatuses) {
        const std::string number = "  " + statusNumber(row);
        out += wrapped(row.czech, number + std::string(indent.size() - number.size(), ' '), indent) + "\n";
    }
    return out;
}

}  // namespace

std::string helpText(std::string_view configurationFile)
{
    std::string help = synopsis() + "\n\n";
    help += wrapped(texts::kHelpPurpose, "", "") + "\n\n";
    help += optionLines() + "\n";
    help += wrapped(texts::kHelpNamesExact, "", "") + "\n\n";
    help += fill(texts::kHelpConfiguration, {configurationFile}) + "\n\n";
    help += exitStatusLines();
    help.pop_back();  // the lines are printed with a line end of their own
    return help;
}

}  // namespace cli
