// What the import writes, derived day by day from the calendar of 2008 itself, so that
// no test compares the program's rows with another hand-made copy of them.
#include "tests/support/ExpectedCalendar.h"

#include <chrono>

namespace testing_support {

namespace {

using namespace std::chrono;

struct MarkedDay {
    unsigned month, day;
    char letter;
};

// The days the rows mark: P for the public holidays, U for the one day of its own.
constexpr MarkedDay kMarkedDays[] = {{1, 1, 'P'},   {3, 24, 'P'},  {5, 1, 'P'},   {5, 8, 'P'},  {10, 28, 'P'},
                                     {12, 24, 'P'}, {12, 25, 'P'}, {12, 26, 'P'}, {11, 17, 'U'}};

// The row ids run on from the previous years' rows.
constexpr int kFirstRowId = 50;

struct ExpectedMonth {
    int id;
    unsigned month;
    std::string days;
};

std::vector<ExpectedMonth> expectedMonths()
{
    std::vector<ExpectedMonth> months;
    for (unsigned m = 1; m <= 12; ++m)
        months.push_back({kFirstRowId + static_cast<int>(m) - 1, m, expectedDays(m)});
    return months;
}

}  // namespace

char expectedLetter(year_month_day date)
{
    for (const MarkedDay& marked : kMarkedDays)
        if (unsigned(date.month()) == marked.month && unsigned(date.day()) == marked.day)
            return marked.letter;
    const weekday day{sys_days(date)};
    if (day == Saturday)
        return 'S';
    if (day == Sunday)
        return 'N';
    return 'D';
}

std::string expectedDays(unsigned month)
{
    const year_month_day_last last{2008y / std::chrono::month{month} / std::chrono::last};
    std::string days;
    for (unsigned d = 1; d <= unsigned(last.day()); ++d)
        days += expectedLetter(2008y / std::chrono::month{month} / day{d});
    return days;
}

const std::vector<std::string>& expectedCalendarRows()
{
    static const std::vector<std::string> rows = [] {
        std::vector<std::string> made;
        for (const ExpectedMonth& m : expectedMonths())
            made.push_back(std::to_string(m.id) + ",2008," + std::to_string(m.month) + "," + m.days);
        return made;
    }();
    return rows;
}

std::string expectedStatement(std::string_view quotedName)
{
    std::string statement =
        "INSERT INTO `" + std::string(quotedName) + "`.`calendar` (`id`, `year`, `month`, `days`) VALUES ";
    for (const ExpectedMonth& m : expectedMonths()) {
        if (m.month > 1)
            statement += ',';
        statement += "(" + std::to_string(m.id) + ", 2008, " + std::to_string(m.month) + ", '" + m.days + "')";
    }
    return statement;
}

}  // namespace testing_support
