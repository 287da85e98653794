// Looks up one value in a profile file's bytes, following the Windows reader's rules.
#include "platform/ProfileFile.h"

#include <fstream>
#include <exception>
#include <iterator>
#include <optional>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEnds = "\r\n";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// Only ASCII letters fold: the Windows-1250 letters above 0x7F are compared as bytes,
// so the result does not depend on the machine's locale.
char foldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAsciiCase(a[i]) != foldAsciiCase(b[i]))
            return false;
    }
    return true;
}

// Removes the first line from `rest` and returns it. CR and LF each end a line, so a
// CRLF pair leaves an empty line behind, which the caller skips like any blank line.
std::string_view takeLine(std::string_view& rest)
{
    const auto end = rest.find_first_of(kLineEnds);
    const auto line = rest.substr(0, end);
    rest = (end == std::string_view::npos) ? std::string_view{} : rest.substr(end + 1);
    return line;
}

std::string_view withoutByteOrderMark(std::string_view contents)
{
    if (contents.starts_with(kUtf8ByteOrderMark))
        contents.remove_prefix(kUtf8ByteOrderMark.size());
    return contents;
}

bool isComment(std::string_view trimmedLine)
{
    return trimmedLine.starts_with(';');
}

// The name of a section line, or nullopt for any other line. The name ends at the
// last "]" so names may hold "]" themselves; an unclosed "[" takes the rest of the line.
std::optional<std::string_view> sectionName(std::string_view trimmedLine)
{
    if (!trimmedLine.starts_with('['))
        return std::nullopt;
    trimmedLine.remove_prefix(1);
    const auto close = trimmedLine.rfind(']');
    return trimBlanks(trimmedLine.substr(0, close));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// A line without "=" carries no value and so cannot answer a lookup.
std::optional<KeyValue> splitKeyValue(std::string_view trimmedLine)
{
    const auto equals = trimmedLine.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyValue{trimBlanks(trimmedLine.substr(0, equals)),
                    trimBlanks(trimmedLine.substr(equals + 1))};
}

// Quotes let a value keep blanks at its ends; blanks inside the quotes stay.
std::string_view withoutEnclosingQuotes(std::string_view value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
                        && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::string cutToMaxLength(std::string_view value)
{
    return std::string(value.substr(0, kProfileValueMaxLength));
}

// The raw value of `key` in the first section called `section`; a later section of the
// same name is not searched, as in the Windows reader.
std::optional<std::string_view> findValue(std::string_view contents, std::string_view section,
                                          std::string_view key)
{
    std::string_view rest = withoutByteOrderMark(contents);
    bool inWantedSection = false;
    while (!rest.empty()) {
        const auto line = trimBlanks(takeLine(rest));
        if (line.empty() || isComment(line))
            continue;
        if (const auto name = sectionName(line)) {
            if (inWantedSection)
                return std::nullopt;
            inWantedSection = equalsIgnoringAsciiCase(*name, section);
            continue;
        }
        if (!inWantedSection)
            continue;
        if (const auto entry = splitKeyValue(line); entry && equalsIgnoringAsciiCase(entry->key, key))
            return entry->value;
    }
    return std::nullopt;
}

// The whole file in binary mode, so CR bytes and NULs reach the parser unchanged;
// nullopt when it cannot be opened or read. The standard library throws on some read
// errors (reading a directory, for one), and a settings lookup must not.
std::optional<std::string> readFileBytes(const std::filesystem::path& file)
{
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return std::nullopt;
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::string profileStringFromText(std::string_view contents, std::string_view section,
                                  std::string_view key, std::string_view defaultValue)
{
    const auto value = findValue(contents, section, key);
    return value ? cutToMaxLength(withoutEnclosingQuotes(*value)) : cutToMaxLength(defaultValue);
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue)
{
    const auto contents = readFileBytes(file);
    return contents ? profileStringFromText(*contents, section, key, defaultValue)
                    : cutToMaxLength(defaultValue);
}

}  // namespace platform
