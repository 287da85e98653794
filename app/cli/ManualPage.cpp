// The manual page's parts from the tables, in roff.
#include "app/cli/ManualPage.h"

#include "app/cli/ExitStatus.h"
#include "app/cli/OptionTable.h"
#include "data/Connection.h"
#include "update/SessionSettings.h"

#include <array>
#include <utility>

namespace cli {

namespace {

constexpr char kProgram[] = "calendar-import-cli";

// `-` as roff's minus, as options and code are written.
std::string code(std::string_view text)
{
    std::string out;
    for (const char c : text)
        out += c == '-' ? std::string("\\-") : c == '\\' ? std::string("\\e") : std::string(1, c);
    return out;
}

std::string replaced(std::string text, std::string_view what, std::string_view by)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
        text.replace(at, what.size(), by);
    return text;
}

// ".BR text | json": the words bold, the bars between them not.
std::string choiceWords(std::string_view words)
{
    std::string out;
    while (!words.empty()) {
        const std::size_t bar = words.find('|');
        out += code(words.substr(0, bar));
        words = bar == std::string_view::npos ? std::string_view() : words.substr(bar + 1);
        if (!words.empty())
            out += " | ";
    }
    return out;
}

std::string synopsisEntry(const Option& option)
{
    switch (option.kind) {
    case OptionKind::Flag: return ".RB [ " + code(option.name) + " ]\n";
    case OptionKind::Choice: return ".RB [ " + code(option.name) + "\n.BR " + choiceWords(option.valueEnglish) + " ]\n";
    case OptionKind::Number:
    case OptionKind::Text:
    case OptionKind::Texts:
        return ".RB [ " + code(option.name) + "\n.IR " + std::string(option.valueEnglish) + " ]" +
               (option.kind == OptionKind::Texts ? "...\\&" : "") + "\n";
    case OptionKind::Action:
    case OptionKind::EndOfOptions: break;
    }
    return {};
}

std::string synopsis()
{
    std::string out = ".B " + std::string(kProgram) + "\n";
    for (const Option& option : kOptions)
        out += synopsisEntry(option);
    for (const Option& option : kOptions) {
        if (option.kind == OptionKind::Action)
            out += ".br\n.B " + std::string(kProgram) + "\n.BR " + code(option.shortName) + " | " + code(option.name) + "\n";
    }
    return out;
}

// The entry's first line: the option as it is written.
std::string optionTag(const Option& option)
{
    switch (option.kind) {
    case OptionKind::Flag:
    case OptionKind::EndOfOptions: return ".B " + code(option.name);
    case OptionKind::Choice: return ".BR " + code(option.name) + " \" \" " + choiceWords(option.valueEnglish);
    case OptionKind::Action: return ".BR " + code(option.shortName) + " \", \" " + code(option.name);
    case OptionKind::Number:
    case OptionKind::Text:
    case OptionKind::Texts: break;
    }
    return ".BI " + code(option.name) + " \" " + std::string(option.valueEnglish) + "\"";
}

std::string optionText(const Option& option)
{
    std::string text(option.english);
    if (option.kind == OptionKind::Number) {
        text += " From " + std::to_string(option.low) + " to " + std::to_string(option.high) + "; default " +
                std::to_string(option.byDefault) + ".";
    } else if (option.kind == OptionKind::Choice) {
        text += " Default: `" + std::string(option.valueEnglish.substr(0, option.valueEnglish.find('|'))) + "`.";
    }
    return roffText(text);
}

std::string options()
{
    std::string out;
    for (const Option& option : kOptions)
        out += ".TP\n" + optionTag(option) + "\n" + optionText(option) + "\n";
    return out;
}

std::string exitStatuses()
{
    std::string out = "With several servers the status is the worst of theirs, in the order " + serverStatusOrder() + ".\n";
    for (const ExitStatusRow& row : kExitStatuses) {
        const std::string number = row.shown.empty() ? std::to_string(row.number) : std::string(row.shown);
        out += ".TP\n.B " + number + "\n" + roffText(row.english) + "\n";
    }
    return out;
}

}  // namespace

std::string roffText(std::string_view text)
{
    const std::pair<std::string_view, std::string> markers[] = {
        {"{most-in-flight}", std::to_string(data::kMostStatementsInFlight)},
        {"{untold-in-flight}", std::to_string(data::kStatementsInFlightUntold)},
        {"{port}", std::to_string(update::kServerPort)},
    };
    std::string filled(text);
    for (const auto& [marker, value] : markers)
        filled = replaced(std::move(filled), marker, value);
    std::string out;
    bool bold = false;
    bool italic = false;
    for (std::size_t i = 0; i < filled.size(); ++i) {
        const char c = filled[i];
        if (c == '`') {
            out += bold ? "\\fR" : "\\fB";
            bold = !bold;
        } else if (c == '<' && !bold) {
            out += "\\fI";
            italic = true;
        } else if (c == '>' && italic) {
            out += "\\fR";
            italic = false;
        } else if (c == '\\') {
            out += "\\e";
        } else if (c == '-' && bold) {
            out += "\\-";
        } else if (c == ' ' && !bold && i > 0 && filled[i - 1] == '.') {
            out += '\n';  // roff ends a sentence at a line's end
        } else {
            out += c;
        }
    }
    // A line starting with a dot or a quote would be read as a request.
    std::string safe;
    for (std::size_t start = 0; start < out.size();) {
        const std::size_t end = std::min(out.find('\n', start), out.size());
        if (out[start] == '.' || out[start] == '\'')
            safe += "\\&";
        safe += out.substr(start, end - start + 1);
        start = end + 1;
    }
    return safe;
}

std::optional<std::string> filledManualPage(std::string_view page)
{
    const std::array<std::pair<std::string_view, std::string>, 3> parts = {{
        {".\\\" %SYNOPSIS%\n", synopsis()},
        {".\\\" %OPTIONS%\n", options()},
        {".\\\" %EXIT STATUS%\n", exitStatuses()},
    }};
    std::string filled(page);
    for (const auto& [marker, part] : parts) {
        const std::size_t at = filled.find(marker);
        if (at == std::string::npos)
            return std::nullopt;
        filled.replace(at, marker.size(), part);
    }
    return filled;
}

}  // namespace cli
