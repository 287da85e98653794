// What the import writes, as the tests expect it; needs no server, so the Windows build
// has it too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// The twelve rows the import writes, in the form calendarRows gives them.
const std::vector<std::string>& expectedCalendarRows();
// The statement the import sends for a database, given the name as it stands between
// the backquotes (backquotes inside already doubled).
std::string expectedStatement(std::string_view quotedName);

}  // namespace testing_support
