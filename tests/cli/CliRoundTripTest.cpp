// --batch and --sessions against the real test server: fewer round trips or more sessions,
// and still every database's outcome exactly known and every statement run once.
#include "tests/cli/CliSupport.h"
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/DelayRelay.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/Sanitizers.h"

#include "data/SqlText.h"
#include "update/CalendarStatement.h"
#include "update/CalendarUpdate.h"
#include "tests/support/ProbeMarks.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

namespace {

using namespace cli_testing;
using namespace testing_support;

constexpr char kRelayAddress[] = "127.0.0.3";

std::vector<std::string> tenantNames(int count)
{
    std::vector<std::string> names;
    for (int i = 10; i < 10 + count; ++i)
        names.push_back("t" + std::to_string(i));
    return names;
}

// The calendar statements the server's log holds, sorted: each statement is a query of
// its own there, so a statement sent twice or several sent as one query would show.
std::vector<std::string> calendarQueries(const GeneralLog& log)
{
    std::vector<std::string> queries;
    for (const std::string& query : log.queriesBy("quorvel")) {
        if (query.starts_with("INSERT INTO `"))
            queries.push_back(query);
    }
    std::sort(queries.begin(), queries.end());
    return queries;
}

// Each listed database's statement once, exactly as the one-by-one run sends it, sorted.
std::vector<std::string> oneByOneStatements(const std::vector<std::string>& listed)
{
    std::vector<std::string> statements;
    for (const std::string& name : listed)
        statements.push_back(data::firstStatement(update::calendarStatement(name)));
    std::sort(statements.begin(), statements.end());
    return statements;
}

class CliRoundTrips : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override
    {
        for (const char* host : {"localhost", "127.0.0.1"})
            admin.exec(std::string("GRANT USAGE ON *.* TO 'quorvel'@'") + host + "' WITH MAX_USER_CONNECTIONS 0");
        admin.exec("SET GLOBAL max_allowed_packet = DEFAULT");
        dropTenantDatabases(admin);
    }

    AdminSession admin;
};

TEST_F(CliRoundTrips, EveryOutcomeStaysExactWhateverTheBatchesAndSessions)
{
    struct Case {
        Arguments options;
        std::size_t sessions;
        // The server's limit for one packet; 0 leaves its default.
        unsigned packetLimit = 0;
    };
    const Case cases[] = {
        {{"--host", "127.0.0.1"}, 1},
        {{"--batch", "1"}, 1},
        {{"--batch", "5"}, 1},
        {{"--batch=100"}, 1},
        {{"--sessions", "3"}, 3},
        {{"--sessions", "4", "--batch", "3"}, 4},
        // 25 statements are larger than the packet limit together, never one by one.
        {{"--batch", "25"}, 1, 16384},
    };
    const std::vector<std::string> tenants = tenantNames(30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.front() + " " + c.options.back());
        Arguments arguments = {"--host", "127.0.0.1"};
        if (c.options.front() != "--host")
            arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        dropTenantDatabases(admin);
        for (const std::string& name : tenants)
            createTenant(admin, name, name == "t17" ? CalendarTable::Missing : CalendarTable::WithKey);
        // Already there: the server refuses it in the middle of a batch.
        admin.exec("INSERT INTO t14.calendar VALUES (50, 2008, 1, 'x')");
        admin.exec(c.packetLimit ? "SET GLOBAL max_allowed_packet = " + std::to_string(c.packetLimit)
                                 : std::string("SET GLOBAL max_allowed_packet = DEFAULT"));
        const std::vector<std::string> listed = databasesAsTheProgramSeesThem();
        GeneralLog log;

        const CliResult result = runCli(arguments);

        EXPECT_EQ(result.exitStatus, 0);
        ASSERT_EQ(result.out.size(), listed.size()) << "one line for each database";
        for (const std::string& name : tenants) {
            SCOPED_TRACE(name);
            if (name == "t14") {
                EXPECT_TRUE(contains(result.out, "t14: kalendář už v databázi je: Duplicate entry '50' for key 'PRIMARY' (1062)"));
            } else if (name == "t17") {
                EXPECT_TRUE(contains(result.out, "t17: přeskočena: Table 't17.calendar' doesn't exist (1146)"));
            } else {
                EXPECT_TRUE(contains(result.out, name + ": aktualizována"));
                EXPECT_EQ(calendarRows(admin, name), expectedCalendarRows());
            }
        }
        EXPECT_EQ(result.err.back(), summary({.listed = listed.size(), .updated = tenants.size() - 2, .alreadyThere = 1,
                                              .skipped = listed.size() - tenants.size() + 1}));

        // Each statement reached the server once, as a query of its own, exactly as the
        // one-by-one run sends it: a refusal made nothing go again.
        EXPECT_EQ(calendarQueries(log), oneByOneStatements(listed));
        // Each session opens with the code page and the server's answer about itself: the
        // first one's probe, then the list, once; a further one's proof that it reached the
        // first one's server. After that only calendar statements go, and a further session
        // that logged in after the first had taken every name sends nothing at all. t14's
        // refusal by a row makes one session, in the whole run, ask which tables keep rows
        // without transactions.
        const std::vector<std::vector<std::string>> sessions = log.queriesBySession("quorvel");
        ASSERT_GE(sessions.size(), 1u);
        EXPECT_LE(sessions.size(), c.sessions);
        std::size_t questions = 0;
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            SCOPED_TRACE("session " + std::to_string(i + 1));
            const std::vector<std::string> sent = probesMarked(sessions[i]);
            if (i > 0 && sent.empty())
                continue;
            std::vector<std::string> expected = {"SET CHARACTER SET cp1250"};
            if (i == 0) {
                expected.emplace_back(kProbeMark);
                expected.emplace_back("SHOW DATABASES");
            } else {
                expected.emplace_back(kProofMark);
            }
            ASSERT_GE(sent.size(), expected.size());
            EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                      expected);
            for (auto query = sent.begin() + static_cast<std::ptrdiff_t>(expected.size()); query != sent.end(); ++query) {
                if (*query == update::kNonTransactionalTables)
                    ++questions;
                else
                    EXPECT_TRUE(query->starts_with("INSERT INTO `")) << *query;
            }
        }
        EXPECT_EQ(questions, 1u);
    }
}

TEST_F(CliRoundTrips, ARerunWithEveryRowThereSendsEachStatementOnce)
{
    const std::vector<std::string> tenants = tenantNames(40);
    for (const std::string& name : tenants)
        createTenant(admin, name, CalendarTable::WithKey);
    const std::vector<std::string> listed = databasesAsTheProgramSeesThem();
    ASSERT_EQ(runCli({"--host", "127.0.0.1", "--batch", "100"}).exitStatus, 0);

    // The nightly case: every database refuses its statement.
    GeneralLog log;
    const CliResult result = runCli({"--host", "127.0.0.1", "--batch", "100"});

    EXPECT_EQ(result.exitStatus, 0) << "the rows are there: nothing failed";
    for (const std::string& name : tenants) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(contains(result.out, name + ": kalendář už v databázi je: Duplicate entry '50' for key 'PRIMARY' (1062)"));
    }
    EXPECT_EQ(calendarQueries(log), oneByOneStatements(listed));
}

TEST_F(CliRoundTrips, ALostSessionLeavesTheStatementsInFlightUnknown)
{
    const std::vector<std::string> tenants = tenantNames(12);
    for (const std::string& name : tenants)
        createTenant(admin, name, CalendarTable::WithKey);
    // The server's own four databases and t10 fill the first five places; each answer
    // lets the next statement go. The relay cuts the session as t14's statement goes out.
    CuttingProxy relay(kRelayAddress, "INSERT INTO `t14`");

    const CliResult result = runCli({"--host", kRelayAddress, "--batch", "5"});

    EXPECT_EQ(result.exitStatus, 2);
    const std::string unknown = ": výsledek neznámý, spojení se přerušilo: ";
    const auto outcomeOf = [&](const std::string& name) {
        if (contains(result.out, name + ": aktualizována"))
            return "updated";
        if (countStartingWith(result.out, name + unknown) == 1)
            return "unknown";
        return countStartingWith(result.out, name + ":") == 0 ? "not reached" : "other";
    };
    std::size_t unknownCount = 0;
    for (const std::string& name : tenants) {
        SCOPED_TRACE(name);
        const std::string outcome = outcomeOf(name);
        unknownCount += outcome == "unknown" ? 1 : 0;
        if (name < "t14") {
            // Written before the cut: answered, or not.
            EXPECT_TRUE(outcome == "updated" || outcome == "unknown") << outcome;
        } else if (name == "t14") {
            EXPECT_EQ(outcome, "unknown") << "written and never answered";
        } else if (name <= "t18") {
            // An answer read after t14 left lets one more go, into a session already cut:
            // at most the four before t14 can be answered.
            EXPECT_TRUE(outcome == "unknown" || outcome == "not reached") << outcome;
        } else {
            EXPECT_EQ(outcome, "not reached") << "never more than five written and unanswered";
        }
        if (outcome == "updated") {
            EXPECT_EQ(calendarRows(admin, name), expectedCalendarRows());
        } else if (name >= "t14") {
            EXPECT_TRUE(calendarRows(admin, name).empty()) << "the relay passed nothing on from t14";
        }
    }
    const std::size_t listed = databasesListedInWindows1250().size();
    const std::size_t updated = countStartingWith(result.out, "t") - unknownCount;
    EXPECT_EQ(result.err.back(), summary({.listed = listed, .updated = updated,
                                          .skipped = result.out.size() - updated - unknownCount,
                                          .unknown = unknownCount, .notReached = listed - result.out.size()}));
}

// A sanitizer's shadow memory needs far more address space than a limit on it leaves.
constexpr bool kAddressSpaceCanBeLimited = !testing_support::kUnderSanitizer;

// The start of a shell command that runs the program after it as a user id that no task on
// the machine has, allowed `tasks` tasks (threads) in all: thread creation fails at the
// same point in every run, unlike a limit on memory, which depends on what else is
// allocated by then. Root is exempt from the limit; the user id is this test's own, so
// that a run of the suite beside this one does not share its count.
std::string taskLimitedUser(int tasks)
{
    const std::string id = std::to_string(60000 + getpid() % 5000);
    return "exec prlimit --nproc=" + std::to_string(tasks) + " setpriv --reuid=" + id + " --regid=" + id +
           " --clear-groups ";
}

// The JSON line of one database.
std::string databaseJson(const std::string& server, const std::string& name, const std::string& outcome)
{
    return R"({"type":"database","server":")" + server + R"(","database":")" + name + R"(","outcome":")" + outcome +
           R"(")";
}

TEST_F(CliRoundTrips, WhenOneSessionIsLostTheOthersTakeNoFurtherName)
{
    const std::vector<std::string> tenants = tenantNames(30);
    for (const std::string& name : tenants)
        createTenant(admin, name, CalendarTable::WithKey);
    // A slow road, so that the other sessions have statements under way when one is cut.
    DelayRelay relay(kRelayAddress, "127.0.0.1", std::chrono::milliseconds(30), "INSERT INTO `t20`", 3306, true);
    ASSERT_TRUE(relay.listening());

    // One statement at a time in each session: the lost one leaves one unknown.
    const CliResult result =
        runCli({"--host", kRelayAddress, "--sessions", "3", "--batch", "1", "--format", "json"});

    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(countStartingWith(result.out, databaseJson(kRelayAddress, "t20", "unknown")), 1u);
    EXPECT_EQ(countStartingWith(result.out, R"({"type":"database")"), databasesListedInWindows1250().size());
    // The sessions under way finish their statement; none takes a name after that, so
    // the end of the list is never touched.
    for (const std::string& name : tenants) {
        if (name < "t30")
            continue;
        SCOPED_TRACE(name);
        EXPECT_TRUE(calendarRows(admin, name).empty());
        EXPECT_EQ(countStartingWith(result.out, databaseJson(kRelayAddress, name, "not-reached")), 1u);
    }
    EXPECT_EQ(countStartingWith(result.err, std::string("calendar-import-cli: spojení se serverem ") + kRelayAddress +
                                                " se přerušilo: "),
              1u);
    ASSERT_GE(result.out.size(), 2u);
    EXPECT_NE(result.out[result.out.size() - 2].find(R"("end":"session-lost","listed":)"), std::string::npos);
    EXPECT_NE(result.out[result.out.size() - 2].find(R"("unknown":1,)"), std::string::npos)
        << result.out[result.out.size() - 2];
}

// Further sessions log in while the first one waits for its first answer, not after it:
// here that answer never comes (the road stalls at the first session's code page), and
// still every session has logged in before the run gives up. A run that ends without a
// list says only why the first session failed.
TEST_F(CliRoundTrips, FurtherSessionsLogInBeforeTheFirstSessionsFirstAnswer)
{
    createTenant(admin, "t10", CalendarTable::WithKey);
    DelayRelay relay(kRelayAddress, "127.0.0.1", std::chrono::milliseconds(0), "SET CHARACTER SET");
    ASSERT_TRUE(relay.listening());
    const GeneralLog log;

    const CliResult result = runCli({"--host", kRelayAddress, "--sessions", "4", "--timeout", "2"});

    EXPECT_EQ(log.queriesBySession("quorvel").size(), 4u) << "every session logged in";
    EXPECT_EQ(result.exitStatus, 1);
    ASSERT_EQ(result.err.size(), 1u) << "only why the first session failed";
    EXPECT_TRUE(result.err[0].starts_with("calendar-import-cli: ")) << result.err[0];
    EXPECT_TRUE(calendarRows(admin, "t10").empty());
}

TEST_F(CliRoundTrips, FurtherSessionsThatCannotBeOpenedLeaveTheirShareToTheOthers)
{
    struct Case {
        const char* description;
        // What starts the program in the shell.
        std::string launch;
        std::string accountSetup;
        const char* sessions;
        std::size_t leastNotOpened;
        std::string reasonEnd;
    };
    const Case cases[] = {
        {"the account's connection limit", "exec ",
         "GRANT USAGE ON *.* TO 'quorvel'@'127.0.0.1' WITH MAX_USER_CONNECTIONS 2", "4", 2, "(1226)"},
        // The program runs as a user with no other task on the machine and may have four
        // tasks in all, its own thread among them: at least twelve of the fifteen further
        // sessions' threads cannot be started, whenever the program asks for them.
        {"no thread for every session", taskLimitedUser(4), "", "16", 12, ""},
    };
    const std::vector<std::string> tenants = tenantNames(20);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        dropTenantDatabases(admin);
        for (const std::string& name : tenants)
            createTenant(admin, name, CalendarTable::WithKey);
        if (!c.accountSetup.empty())
            admin.exec(c.accountSetup);
        const std::size_t listed = databasesListedInWindows1250().size();
        // A slow road and one statement at a time: the first session is still at work when
        // the others try to log in, so each of them needs its share.
        DelayRelay slow(kRelayAddress, "127.0.0.1", std::chrono::milliseconds(5));
        ASSERT_TRUE(slow.listening());

        ChildOptions options;
        options.environment = {{"LC_ALL", "C.UTF-8"}};
        const ChildResult child =
            runChild("/bin/sh",
                     {"-c", c.launch + "\"$0\" \"$@\"", CLI_PROGRAM, "--host", kRelayAddress, "--sessions",
                      c.sessions, "--batch", "1"},
                     options);
        const std::vector<std::string> out = linesOf(child.out);
        const std::vector<std::string> err = linesOf(child.err);

        EXPECT_EQ(child.exitStatus, 0) << child.err;
        for (const std::string& name : tenants) {
            SCOPED_TRACE(name);
            EXPECT_TRUE(contains(out, name + ": aktualizována"));
            EXPECT_EQ(calendarRows(admin, name), expectedCalendarRows());
        }
        EXPECT_EQ(out.size(), listed) << "one line for each database, whichever session sent it";
        const std::string notOpened =
            std::string("calendar-import-cli: další spojení k serveru ") + kRelayAddress + " se nepodařilo otevřít: ";
        EXPECT_GE(countStartingWith(err, notOpened), c.leastNotOpened);
        for (const std::string& line : err) {
            if (line.starts_with(notOpened)) {
                EXPECT_TRUE(line.ends_with(c.reasonEnd)) << line;
            }
        }
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.back(), summary({.listed = listed, .updated = tenants.size(), .skipped = listed - tenants.size()}));
        for (const char* host : {"localhost", "127.0.0.1"})
            admin.exec(std::string("GRANT USAGE ON *.* TO 'quorvel'@'") + host + "' WITH MAX_USER_CONNECTIONS 0");
    }
}

TEST_F(CliRoundTrips, WithoutAnyThreadToStartEveryServerIsStillDoneByTheMainOne)
{
    if (!kAddressSpaceCanBeLimited)
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit under the limit";
    const std::vector<std::string> tenants = tenantNames(10);
    for (const std::string& name : tenants)
        createTenant(admin, name, CalendarTable::WithKey);
    // Each thread's stack would take the whole 1 GB the program may have: neither the
    // second server's thread nor a further session's can start.
    ChildOptions options;
    options.environment = {{"LC_ALL", "C.UTF-8"}};
    const ChildResult child =
        runChild("/bin/sh",
                 {"-c", "ulimit -s 1048576 && ulimit -v 1000000 && exec \"$0\" \"$@\"", CLI_PROGRAM, "--host",
                  "127.0.0.1", "--host", "127.0.0.9", "--parallel", "2", "--sessions", "3"},
                 options);
    const std::vector<std::string> out = linesOf(child.out);
    const std::vector<std::string> err = linesOf(child.err);

    EXPECT_EQ(child.exitStatus, 1) << "the second server has nobody listening" << child.err;
    for (const std::string& name : tenants) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(contains(out, "[127.0.0.1] " + name + ": aktualizována"));
        EXPECT_EQ(calendarRows(admin, name), expectedCalendarRows());
    }
    EXPECT_EQ(countStartingWith(err, "calendar-import-cli: další spojení k serveru 127.0.0.1 se nepodařilo otevřít: "
                                     "Program nemohl pokračovat: "),
              2u);
    EXPECT_EQ(countStartingWith(err, "calendar-import-cli: nepodařilo se připojit k serveru 127.0.0.9: "), 1u);
    EXPECT_TRUE(contains(err, "[127.0.0.1] Aktualizace dokončena"));
}

}  // namespace
