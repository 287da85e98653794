// What the import writes, as the tests expect it, derived from the calendar of 2008;
// needs no server, so the Windows build has it too.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// The letter of a day of 2008: P a public holiday, U the one day of its own, S Saturday,
// N Sunday, D any other day.
char expectedLetter(std::chrono::year_month_day date);
// The letters of one month of 2008, day by day.
std::string expectedDays(unsigned month);

// The twelve rows the import writes, in the form calendarRows gives them.
const std::vector<std::string>& expectedCalendarRows();
// The statement the import sends for a database, given the name as it stands between
// the backquotes (backquotes inside already doubled).
std::string expectedStatement(std::string_view quotedName);

}  // namespace testing_support
