// Fuzzes the calendar statement: for any name it is one statement naming that database.
#include "data/SqlText.h"
#include "update/CalendarStatement.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "INSERT INTO `";
constexpr std::string_view kAfterName = ".`calendar` (`id`, `year`, `month`, `days`) VALUES (50, 2008, 1, '";

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads the backquoted name at the start of `text` the way the server does: a doubled
// backquote stands for one, a single one ends the name.
std::optional<std::string> leadingIdentifier(std::string_view text, size_t& end)
{
    if (text.empty() || text[0] != '`')
        return std::nullopt;
    std::string name;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '`') {
            name += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '`') {
            name += '`';
            ++i;
        } else {
            end = i + 1;
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view name(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
    const std::string statement = update::calendarStatement(name);

    // The name's own semicolons and quotes never end the statement early.
    require(data::firstStatement(statement) + ";" == statement);

    require(statement.starts_with(kPrefix));
    size_t end = 0;
    const std::optional<std::string> named = leadingIdentifier(std::string_view(statement).substr(kPrefix.size() - 1), end);
    require(named && *named == name);
    require(std::string_view(statement).substr(kPrefix.size() - 1 + end).starts_with(kAfterName));
    return 0;
}
