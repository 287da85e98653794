// Calendar update runs against the real test server: the window's handlers and what the
// run reports of each database.
#include "data/ClientLibrary.h"
#include "data/uDM.h"
#include "platform/CodePage.h"
#include "tests/support/AccountSession.h"
#include "tests/support/AdminSession.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/ProbeMarks.h"
#include "tests/support/RecordingWindow.h"
#include "ui/uMain.h"
#include "update/CalendarUpdate.h"
#include "update/SessionSettings.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace testing_support;
using update::DatabaseOutcome;
using update::kCaptionConnecting;
using update::kCaptionStart;

const std::string kConnecting = "caption " + std::string(kCaptionConnecting);
const std::string kBackToStart = "caption " + std::string(kCaptionStart);
const std::string kConnectFailed = "notice CHYBA: " + std::string(update::kNoticeConnectFailed);
const std::string kDone = "notice OK: " + std::string(update::kNoticeDone);
const std::string kListUnreadable = "notice CHYBA: " + std::string(update::kNoticeListUnreadable);
const std::string kSessionLost = "notice CHYBA: " + std::string(update::kNoticeSessionLost);

// No configuration file is read by the start button's handler.
const std::filesystem::path kNoConfiguration = "/nonexistent/quorvel.ini";

// The start button pressed once in a window whose field holds `window.serverField`.
void pressStart(TDM& dm, RecordingWindow& window)
{
    TfrmMain(window, dm, kNoConfiguration).BitBtn3Click();
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class CalendarRun : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override { dropTenantDatabases(admin); }

    AdminSession admin;
};

TEST_F(CalendarRun, WritesTheRowsIntoEveryTenantAndSendsExactlyTheStatements)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    createTenant(admin, "firma_b", CalendarTable::WithoutKey);
    createTenant(admin, "bez_kalendare", CalendarTable::Missing);
    const std::vector<std::string> listed = databasesListedInWindows1250();
    GeneralLog log;

    TDM dm;
    RecordingObserver observer;
    const update::RunOutcome outcome = update::runCalendarUpdate(dm, "127.0.0.1", observer);

    EXPECT_EQ(outcome.end, update::RunEnd::Completed);
    EXPECT_EQ(outcome.listed, listed.size());
    EXPECT_EQ(outcome.count(DatabaseOutcome::Updated), 2u);
    EXPECT_EQ(outcome.count(DatabaseOutcome::Skipped), listed.size() - 2);
    EXPECT_EQ(outcome.count(DatabaseOutcome::NotReached), 0u);
    EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    EXPECT_EQ(calendarRows(admin, "firma_b"), expectedCalendarRows());
    EXPECT_EQ(observer.updated, (std::vector<std::string>{"firma_a", "firma_b"}));

    // The probe, with the command's own lock, goes with the connect, before the list. No
    // refusal by a row: which tables keep rows without transactions is never asked.
    std::vector<std::string> expectedQueries = {"SET CHARACTER SET cp1250", kProbeMark, "SHOW DATABASES"};
    for (const std::string& name : listed)
        expectedQueries.push_back(expectedStatement(name));
    EXPECT_EQ(probesMarked(log.queriesBy("quorvel")), expectedQueries);
    for (const char* system : {"information_schema", "mysql", "performance_schema", "sys"})
        EXPECT_TRUE(contains(observer.skipped, system)) << system << " is listed and its statement fails";
}

TEST_F(CalendarRun, StartButtonConnectsRunsAndEndsWithTheNotice)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const std::vector<std::string> listed = databasesListedInWindows1250();
    GeneralLog log;
    TDM dm;
    RecordingWindow window("127.0.0.1");
    pressStart(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
    EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    // The run reads the answers to what its connect sent: nothing is asked twice.
    std::vector<std::string> expectedQueries = {"SET CHARACTER SET cp1250", kProbeMark, "SHOW DATABASES"};
    for (const std::string& name : listed)
        expectedQueries.push_back(expectedStatement(name));
    EXPECT_EQ(probesMarked(log.queriesBy("quorvel")), expectedQueries);
}

// Another run, of the console program or of a second window, holds the server: the window
// says so in its notice and writes nothing; once that run has ended, a press updates it.
TEST_F(CalendarRun, AnotherRunOnTheServerLeavesItAloneWithItsNotice)
{
    createTenant(admin, "bez_klice", CalendarTable::WithoutKey);
    {
        AccountSession otherRun("127.0.0.1");
        ASSERT_EQ(otherRun.query("SELECT GET_LOCK('calendar-import', 0)").rows.at(0).at(0), "1");
        TDM dm;
        RecordingWindow window("127.0.0.1");
        pressStart(dm, window);

        EXPECT_EQ(window.events,
                  (std::vector<std::string>{kConnecting, "notice CHYBA: " + std::string(update::kNoticeAnotherRun), "end"}));
        EXPECT_TRUE(calendarRows(admin, "bez_klice").empty());
    }
    awaitNoRunOn(admin);
    TDM dm;
    RecordingWindow window("127.0.0.1");
    pressStart(dm, window);
    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
    EXPECT_EQ(calendarRows(admin, "bez_klice"), expectedCalendarRows());
}

TEST_F(CalendarRun, ServerWithOnlyItsOwnDatabasesStillFinishes)
{
    TDM dm;
    RecordingWindow window("localhost");
    pressStart(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
}

TEST_F(CalendarRun, SecondRunIsRefusedByAKeyAndDoublesRowsWithout)
{
    createTenant(admin, "s_klicem", CalendarTable::WithKey);
    createTenant(admin, "bez_klice", CalendarTable::WithoutKey);
    for (int run = 0; run < 2; ++run) {
        TDM dm;
        RecordingWindow window("localhost");
        pressStart(dm, window);
        EXPECT_EQ(window.events.back(), "end");
        dm.conMain.disconnect();
        awaitNoRunOn(admin);
    }

    EXPECT_EQ(calendarRows(admin, "s_klicem"), expectedCalendarRows());
    std::vector<std::string> doubled;
    for (const std::string& row : expectedCalendarRows())
        doubled.insert(doubled.end(), 2, row);
    EXPECT_EQ(calendarRows(admin, "bez_klice"), doubled);
}

// Exit status 3 hangs on this count: a database whose key refused the rows has them,
// and one without the table does not, whichever way the statements travel.
TEST_F(CalendarRun, RowsAlreadyThereAreCountedApartFromOtherRefusals)
{
    createTenant(admin, "s_klicem", CalendarTable::WithKey);
    createTenant(admin, "bez_kalendare", CalendarTable::Missing);
    {
        TDM dm;
        RecordingObserver observer;
        const update::RunOutcome first = update::runCalendarUpdate(dm, "localhost", observer);
        EXPECT_EQ(first.count(DatabaseOutcome::Updated), 1u);
        EXPECT_GT(first.count(DatabaseOutcome::Skipped), 1u) << "the server's own databases and bez_kalendare refuse";
        EXPECT_EQ(first.count(DatabaseOutcome::AlreadyThere), 0u);
    }
    // Each run is a run of its own: the next one starts once the server let the last go.
    awaitNoRunOn(admin);
    struct Case {
        const char* what;
        std::size_t depth;
        std::size_t sessions;
    };
    const Case cases[] = {{"one by one", 1, 1}, {"in a pipeline", 3, 1}, {"over two sessions", 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        update::RunOptions options;
        options.depth = c.depth;
        options.sessions = c.sessions;
        TDM dm;
        RecordingObserver observer;
        const update::RunOutcome again = update::runCalendarUpdate(dm, "localhost", observer, options);
        dm.conMain.disconnect();
        awaitNoRunOn(admin);
        EXPECT_EQ(again.end, update::RunEnd::Completed);
        EXPECT_EQ(again.count(DatabaseOutcome::Updated), 0u);
        EXPECT_EQ(again.count(DatabaseOutcome::AlreadyThere), 1u) << "s_klicem alone holds the rows";
        EXPECT_EQ(observer.alreadyThere, (std::vector<std::string>{"s_klicem"}));
        EXPECT_EQ(again.count(DatabaseOutcome::Skipped), again.listed - 1);
    }
}

TEST_F(CalendarRun, NamesTravelByteForByteInWindows1250)
{
    const std::string czech = "účetnictví_žluťoučký";
    const std::string outsideCodePage = "tenant_日本";
    const std::string awkward = "a`b;c'd-- e";
    createTenant(admin, czech, CalendarTable::WithKey);
    createTenant(admin, outsideCodePage, CalendarTable::WithKey);
    createTenant(admin, awkward, CalendarTable::WithKey);

    TDM dm;
    RecordingObserver observer;
    update::runCalendarUpdate(dm, "localhost", observer);

    EXPECT_EQ(calendarRows(admin, czech), expectedCalendarRows());
    EXPECT_EQ(calendarRows(admin, awkward), expectedCalendarRows());
    EXPECT_TRUE(contains(observer.updated, czech)) << "the name is reported in its own letters";
    // The server can only hand such a name over with '?' in place of the letters it
    // cannot write in the session's code page; no database has that name.
    EXPECT_TRUE(calendarRows(admin, outsideCodePage).empty());
    EXPECT_TRUE(contains(observer.skipped, "tenant_??"));
}

TEST_F(CalendarRun, ANameListedTwiceGetsItsStatementOnce)
{
    // The session's code page writes "v1_Ж" as "v1_?", the name of another tenant; the
    // calendar must not reach that one twice while "v1_Ж" itself gets nothing.
    createTenant(admin, "v1_Ж", CalendarTable::WithoutKey);
    createTenant(admin, "v1_?", CalendarTable::WithoutKey);
    GeneralLog log;
    TDM dm;
    RecordingObserver observer;
    const update::RunOutcome outcome = update::runCalendarUpdate(dm, "localhost", observer);

    EXPECT_EQ(outcome.end, update::RunEnd::Completed);
    EXPECT_EQ(outcome.count(DatabaseOutcome::ListedAgain), 1u);
    EXPECT_EQ(observer.listedAgain, (std::vector<std::string>{"v1_?"}));
    EXPECT_EQ(observer.updated, (std::vector<std::string>{"v1_?"}));
    EXPECT_EQ(calendarRows(admin, "v1_?"), expectedCalendarRows()) << "12 rows, not 24";
    EXPECT_TRUE(calendarRows(admin, "v1_Ж").empty());
    const std::vector<std::string> queries = log.queriesBy("quorvel");
    EXPECT_EQ(std::count(queries.begin(), queries.end(), expectedStatement("v1_?")), 1);
}

TEST_F(CalendarRun, FailedConnectReportsAndAllowsACorrectedSecondPress)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    struct Case {
        const char* description;
        std::string host;
        std::vector<std::string> libraries;
        std::string notice;
    };
    const std::vector<std::string>& standard = data::ClientLibrary::defaultNames();
    // A missing library is named, with where it was looked for (here by the system's
    // loader), instead of blaming the connection.
    const std::string missing = "notice CHYBA: " + std::string(update::kNoticeClientLibraryMissing) +
                                "\nHledána mezi knihovnami systému jako ";
    const Case cases[] = {
        {"nothing listens", "127.0.0.2", standard, kConnectFailed},
        {"port through the host", "127.0.0.1:3306", standard, kConnectFailed},
        {"path through the host", "localhost/mysql", standard, kConnectFailed},
        {"options through the host", "localhost?x=y", standard, kConnectFailed},
        {"fail-over list", "127.0.0.1,", standard, kConnectFailed},
        {"connection string", "host=127.0.0.1;port=3306", standard, kConnectFailed},
        {"equals sign", "a=b", standard, kConnectFailed},
        {"client library missing", "127.0.0.1", {"libcalendar-missing.so.0"}, missing + "libcalendar-missing.so.0."},
        {"no name of the client library loads", "127.0.0.1", {"libcalendar-missing.so.0", "libcalendar-gone.so.1"},
         missing + "libcalendar-missing.so.0 nebo libcalendar-gone.so.1."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        TDM dm;
        dm.conMain.settings.LibraryNames = c.libraries;
        RecordingWindow window(c.host);
        pressStart(dm, window);
        EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, c.notice, kBackToStart}));
        EXPECT_FALSE(dm.conMain.connected());

        // The user corrects the field and presses the button again.
        window.events.clear();
        window.serverField = "127.0.0.1";
        dm.conMain.settings.LibraryNames = standard;
        pressStart(dm, window);
        EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
        EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    }
}

TEST_F(CalendarRun, WrongPasswordIsAFailedConnect)
{
    admin.exec("ALTER USER 'quorvel'@'127.0.0.1' IDENTIFIED BY 'jine-heslo'");
    TDM dm;
    RecordingWindow window("127.0.0.1");
    pressStart(dm, window);
    admin.exec("ALTER USER 'quorvel'@'127.0.0.1' IDENTIFIED BY 'selvado'");

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kConnectFailed, kBackToStart}));
}

TEST_F(CalendarRun, ConnectedAtStartLeavesTheCaptionAlone)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    TDM dm;
    RecordingWindow window("this text is not used");
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    pressStart(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kDone, "end"}));
    EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
}

TEST_F(CalendarRun, UnreadableListIsNotReportedAsSuccess)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    killSessionsOf(admin, "quorvel");  // the session dies between the connect and the list

    RecordingWindow window("localhost");
    pressStart(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kListUnreadable, "end"}));
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

TEST_F(CalendarRun, LostSessionEndsTheWindowsRunWithItsNotice)
{
    for (const char* name : {"t1", "t2", "t3"})
        createTenant(admin, name, CalendarTable::WithKey);
    CuttingProxy relay("127.0.0.3", "INSERT INTO `t2`");
    TDM dm;
    RecordingWindow window("127.0.0.3");
    pressStart(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kSessionLost, "end"}));
    EXPECT_EQ(calendarRows(admin, "t1"), expectedCalendarRows());
    EXPECT_TRUE(calendarRows(admin, "t3").empty());
}

}  // namespace
