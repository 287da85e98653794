// Database names that carry line breaks, terminal controls or backslashes cannot forge or
// erase report lines: the console writes every name so that it reads back exactly.
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace testing_support;

struct HostileName {
    std::string name;     // as the tenant created it
    std::string printed;  // as the report must show it
};

const std::vector<HostileName>& hostileNames()
{
    static const std::vector<HostileName> names = {
        {"acme\nfirma_x: aktualizována", "acme\\nfirma_x: aktualizována"},
        {"zpet\rfirma_y: aktualizována", "zpet\\rfirma_y: aktualizována"},
        {"esc\x1b[2Kvymaz", "esc\\x1B[2Kvymaz"},
        {"zvonek\a", "zvonek\\x07"},
        // DEL erases the character before it on some terminals.
        {"smaz\x7f" "x", "smaz\\x7Fx"},
        {"tab\tulator", "tab\\tulator"},
        {"zpetne\\lomitko", "zpetne\\\\lomitko"},
    };
    return names;
}

class CliNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(admin);
        for (const HostileName& tenant : hostileNames())
            createTenant(admin, tenant.name, CalendarTable::WithKey);
    }
    void TearDown() override { dropTenantDatabases(admin); }

    ChildResult runCli(const std::vector<std::string>& arguments)
    {
        ChildOptions options;
        options.environment = {{"LC_ALL", "C.UTF-8"}};
        return runChild(CLI_PROGRAM, arguments, options);
    }

    AdminSession admin;
};

bool hasControlCharacterBesidesLineEnds(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\n') || byte == 0x7F;
    });
}

TEST_F(CliNames, ReportHasOneLineForEachDatabaseAndEveryNameReadsBackExactly)
{
    const size_t listed = databasesListedInWindows1250().size();
    const ChildResult result = runCli({"--host", "localhost"});

    EXPECT_EQ(result.exitStatus, 0);
    const std::vector<std::string> lines = linesOf(result.out);
    EXPECT_EQ(lines.size(), listed) << "no name adds a line of its own";
    EXPECT_FALSE(hasControlCharacterBesidesLineEnds(result.out));
    EXPECT_FALSE(hasControlCharacterBesidesLineEnds(result.err));
    for (const HostileName& tenant : hostileNames()) {
        SCOPED_TRACE(tenant.printed);
        EXPECT_NE(std::find(lines.begin(), lines.end(), tenant.printed + ": aktualizována"), lines.end());
        EXPECT_EQ(calendarRows(admin, tenant.name), expectedCalendarRows());
    }
}

TEST_F(CliNames, DryRunPrintsEachStatementOnOneLine)
{
    const size_t listed = databasesListedInWindows1250().size();
    const ChildResult result = runCli({"--dry-run", "--host", "localhost"});

    EXPECT_EQ(result.exitStatus, 0);
    const std::vector<std::string> lines = linesOf(result.out);
    EXPECT_EQ(lines.size(), listed);
    EXPECT_FALSE(hasControlCharacterBesidesLineEnds(result.out));
    EXPECT_NE(std::find(lines.begin(), lines.end(), expectedStatement("acme\\nfirma_x: aktualizována") + ";"),
              lines.end());
}

TEST_F(CliNames, DryRunTextIsForReadingAndItsJsonStatementIsExact)
{
    // The text shows a backslash as two: fed to a client, it would name another tenant.
    const std::string exact = expectedStatement("zpetne\\lomitko") + ";";
    std::string shown;
    std::string inJson;
    for (const char c : exact) {
        shown += c == '\\' ? "\\\\" : std::string(1, c);
        inJson += c == '\\' ? "\\\\" : c == '"' ? "\\\"" : std::string(1, c);
    }
    const std::vector<std::string> text = linesOf(runCli({"--dry-run", "--host", "localhost"}).out);
    EXPECT_NE(std::find(text.begin(), text.end(), shown), text.end());

    const std::vector<std::string> json = linesOf(runCli({"--dry-run", "--host", "localhost", "--format", "json"}).out);
    const std::string line = R"({"type":"database","server":"localhost","database":"zpetne\\lomitko",)"
                             R"("outcome":"dry-run","statement":")" + inJson + R"("})";
    EXPECT_NE(std::find(json.begin(), json.end(), line), json.end()) << line;

    // And the help says so (its words set in lines of their own length).
    std::string help;
    for (const char c : runCli({"--help"}).out) {
        if (c != '\n' && c != ' ')
            help += c;
        else if (!help.empty() && help.back() != ' ')
            help += ' ';
    }
    EXPECT_NE(help.find("text je ke čtení"), std::string::npos);
    EXPECT_NE(help.find("v poli statement výstupu --format json"), std::string::npos);
}

}  // namespace
