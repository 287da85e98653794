// Reading the entries of the server's general query log.
#include "tests/support/GeneralLog.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <map>
#include <set>
#include <stdexcept>

namespace testing_support {

namespace {

bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// An entry line is "[yymmdd hh:mm:ss]<blanks><thread> <command>\t<argument>"; any other
// line continues the argument of the entry before it.
std::optional<LoggedCommand> parseEntry(std::string_view line)
{
    size_t i = 0;
    if (line.size() > 15 && isDigit(line[0]) && line[6] == ' ')
        i = line.find('\t');
    if (i == std::string_view::npos)
        return std::nullopt;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    const size_t threadStart = i;
    while (i < line.size() && isDigit(line[i]))
        ++i;
    if (i == threadStart || i >= line.size() || line[i] != ' ')
        return std::nullopt;
    const size_t tab = line.find('\t', i);
    if (tab == std::string_view::npos)
        return std::nullopt;
    LoggedCommand entry;
    entry.thread = std::stoul(std::string(line.substr(threadStart, i - threadStart)));
    entry.command = std::string(line.substr(i + 1, tab - i - 1));
    entry.argument = std::string(line.substr(tab + 1));
    return entry;
}

}  // namespace

std::filesystem::path testServerDir()
{
    // Another folder only for the test of the server's own script (tests/server).
    if (const char* dir = std::getenv("CALENDAR_TEST_SERVER_DIR"))
        return dir;
    return CALENDAR_TEST_SERVER_DIR;
}

GeneralLog::GeneralLog() : path_(testServerDir() / "general.log"), start_(std::filesystem::file_size(path_))
{
}

std::vector<LoggedCommand> GeneralLog::commandsSinceStart() const
{
    std::ifstream file(path_, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(start_));
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    std::vector<LoggedCommand> commands;
    size_t lineStart = 0;
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        if (std::optional<LoggedCommand> entry = parseEntry(line))
            commands.push_back(std::move(*entry));
        else if (!commands.empty())
            commands.back().argument.append("\n").append(line);
        lineStart = lineEnd + 1;
    }
    return commands;
}

std::vector<std::string> GeneralLog::queriesBy(std::string_view user) const
{
    const std::string prefix = std::string(user) + "@";
    std::set<unsigned long> threads;
    std::vector<std::string> queries;
    for (const LoggedCommand& entry : commandsSinceStart()) {
        if (entry.command == "Connect" && entry.argument.starts_with(prefix))
            threads.insert(entry.thread);
        else if (entry.command == "Query" && threads.count(entry.thread))
            queries.push_back(entry.argument);
    }
    return queries;
}

std::vector<std::vector<std::string>> GeneralLog::queriesBySession(std::string_view user) const
{
    const std::string prefix = std::string(user) + "@";
    std::map<unsigned long, std::size_t> sessionOf;
    std::vector<std::vector<std::string>> sessions;
    for (const LoggedCommand& entry : commandsSinceStart()) {
        if (entry.command == "Connect" && entry.argument.starts_with(prefix)) {
            sessionOf[entry.thread] = sessions.size();
            sessions.emplace_back();
        } else if (entry.command == "Query") {
            if (const auto session = sessionOf.find(entry.thread); session != sessionOf.end())
                sessions[session->second].push_back(entry.argument);
        }
    }
    return sessions;
}

}  // namespace testing_support
