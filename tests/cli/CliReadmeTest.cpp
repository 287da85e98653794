// The README's table of exit statuses against the program's own (ExitStatus.h): one table,
// the same statuses in the same order.
#include "app/cli/ExitStatus.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The first cell of each row of every table headed "| status | meaning |", one list a table.
std::vector<std::vector<std::string>> exitStatusTables(const char* file)
{
    std::ifstream in(file);
    std::vector<std::vector<std::string>> tables;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line == "| status | meaning |") {
            tables.emplace_back();
            inTable = true;
        } else if (!line.starts_with("|")) {
            inTable = false;
        } else if (inTable && !line.starts_with("|-") && !line.starts_with("|:")) {
            const std::size_t end = line.find(" |", 2);
            tables.back().push_back(line.substr(2, end - 2));
        }
    }
    return tables;
}

TEST(CliReadme, ListsTheProgramsExitStatusesOnce)
{
    std::vector<std::string> program;
    for (const cli::ExitStatusRow& row : cli::kExitStatuses)
        program.push_back(row.shown.empty() ? std::to_string(row.number) : std::string(row.shown));
    const std::vector<std::vector<std::string>> tables = exitStatusTables(CALENDAR_README);
    ASSERT_EQ(tables.size(), 1u) << "one table of exit statuses in " << CALENDAR_README;
    EXPECT_EQ(tables.front(), program);
}

}  // namespace
