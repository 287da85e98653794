// Building the calendar statement for one database.
#include "update/CalendarStatement.h"

namespace update {

namespace {

constexpr std::string_view kInsertInto = "INSERT INTO ";
constexpr std::string_view kIntoCalendar = ".`calendar` (`id`, `year`, `month`, `days`) VALUES ";

}  // namespace

std::string quotedIdentifier(std::string_view name)
{
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted += '`';
    for (char c : name) {
        if (c == '`')
            quoted += '`';  // a backquote inside a quoted name is written twice
        quoted += c;
    }
    quoted += '`';
    return quoted;
}

std::string calendarStatement(std::string_view databaseName)
{
    std::string statement;
    statement.reserve(700 + databaseName.size());
    statement += kInsertInto;
    statement += quotedIdentifier(databaseName);
    statement += kIntoCalendar;
    for (std::string_view row : kCalendarRows)
        statement += row;
    return statement;
}

}  // namespace update
