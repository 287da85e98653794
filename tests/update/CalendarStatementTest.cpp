// The 2008 calendar rows and the statement built for one database name.
#include "data/SqlText.h"
#include "tests/support/ExpectedCalendar.h"
#include "update/CalendarStatement.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono;
using testing_support::expectedLetter;

// Each row's letters follow from the 2008 calendar itself, not from another copy of them.
TEST(CalendarRows, MatchTheYear2008DayByDay)
{
    for (unsigned m = 1; m <= 12; ++m) {
        SCOPED_TRACE("month " + std::to_string(m));
        const std::string_view row = update::kCalendarRows[m - 1];
        const std::string prefix = "(" + std::to_string(49 + m) + ", 2008, " + std::to_string(m) + ", '";
        ASSERT_TRUE(row.starts_with(prefix));
        ASSERT_TRUE(row.ends_with(m == 12 ? "');" : "'),"));

        const std::string_view letters = row.substr(prefix.size(), row.size() - prefix.size() - 3);
        const year_month_day_last last{2008y / month{m} / std::chrono::last};
        ASSERT_EQ(letters.size(), unsigned(last.day()));
        for (unsigned d = 1; d <= letters.size(); ++d)
            EXPECT_EQ(letters[d - 1], expectedLetter(2008y / month{m} / day{d})) << "day " << d;
    }
}

TEST(CalendarStatement, NamesTheDatabaseExactlyAndIsOneStatement)
{
    struct Case {
        const char* description;
        std::string name;
        std::string quoted;  // as it must stand between the backquotes
    };
    const std::string sixtyFour(64, 'x');
    const Case cases[] = {
        {"plain", "firma_a", "firma_a"},
        {"backquote doubled", "a`b", "a``b"},
        {"backquotes only", "``", "````"},
        {"semicolon and quote", "x;y'z", "x;y'z"},
        {"comment markers", "a-- b#c/*d", "a-- b#c/*d"},
        {"64 characters", sixtyFour, sixtyFour},
        {"Czech letters in Windows-1250", "\xFA\xE8" "etn\xED", "\xFA\xE8" "etn\xED"},
        {"blank at the start", " lead", " lead"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const std::string statement = update::calendarStatement(c.name);
        const std::string expected = testing_support::expectedStatement(c.quoted) + ";";
        EXPECT_EQ(statement, expected);
        EXPECT_EQ(statement.size(), 650 + c.quoted.size());
        // What reaches the server is the whole statement without its final ";".
        EXPECT_EQ(data::firstStatement(statement), statement.substr(0, statement.size() - 1));
    }
}

}  // namespace
