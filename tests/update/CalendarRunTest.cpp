// Calendar update runs against the real test server.
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/RecordingWindow.h"
#include "update/CalendarUpdate.h"
#include "update/SessionSettings.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace testing_support;
using update::kCaptionConnecting;
using update::kCaptionStart;

const std::string kConnecting = "caption " + std::string(kCaptionConnecting);
const std::string kBackToStart = "caption " + std::string(kCaptionStart);
const std::string kConnectFailed = "notice CHYBA: " + std::string(update::kNoticeConnectFailed);
const std::string kDone = "notice OK: " + std::string(update::kNoticeDone);
const std::string kListUnreadable = "notice CHYBA: " + std::string(update::kNoticeListUnreadable);
const std::string kSessionLost = "notice CHYBA: " + std::string(update::kNoticeSessionLost);

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
    RecordingWindow window("127.0.0.1");
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
    EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    EXPECT_EQ(calendarRows(admin, "firma_b"), expectedCalendarRows());
    EXPECT_EQ(window.updated, (std::vector<std::string>{"firma_a", "firma_b"}));

    std::vector<std::string> expectedQueries = {"SET CHARACTER SET cp1250", "SHOW DATABASES"};
    for (const std::string& name : listed)
        expectedQueries.push_back(expectedStatement(name));
    EXPECT_EQ(log.queriesBy("quorvel"), expectedQueries);
    for (const char* system : {"information_schema", "mysql", "performance_schema", "sys"})
        EXPECT_NE(std::find(window.skipped.begin(), window.skipped.end(), system), window.skipped.end())
            << system << " is listed and its statement fails";
}

TEST_F(CalendarRun, ServerWithOnlyItsOwnDatabasesStillFinishes)
{
    TDM dm;
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
    EXPECT_TRUE(window.updated.empty());
}

TEST_F(CalendarRun, SecondRunIsRefusedByAKeyAndDoublesRowsWithout)
{
    createTenant(admin, "s_klicem", CalendarTable::WithKey);
    createTenant(admin, "bez_klice", CalendarTable::WithoutKey);
    for (int run = 0; run < 2; ++run) {
        TDM dm;
        RecordingWindow window("localhost");
        update::runCalendarUpdate(dm, window);
        EXPECT_EQ(window.events.back(), "end");
    }

    EXPECT_EQ(calendarRows(admin, "s_klicem"), expectedCalendarRows());
    std::vector<std::string> doubled;
    for (const std::string& row : expectedCalendarRows())
        doubled.insert(doubled.end(), 2, row);
    EXPECT_EQ(calendarRows(admin, "bez_klice"), doubled);
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
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(calendarRows(admin, czech), expectedCalendarRows());
    EXPECT_EQ(calendarRows(admin, awkward), expectedCalendarRows());
    // The server can only hand such a name over with '?' in place of the letters it
    // cannot write in the session's code page; no database has that name.
    EXPECT_TRUE(calendarRows(admin, outsideCodePage).empty());
    EXPECT_NE(std::find(window.skipped.begin(), window.skipped.end(), "tenant_??"), window.skipped.end());
    EXPECT_EQ(window.events.back(), "end");
}

TEST_F(CalendarRun, FailedConnectReportsAndAllowsACorrectedSecondPress)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    struct Case {
        const char* description;
        std::string host;
        std::vector<std::string> libraries;
    };
    const std::vector<std::string> standard = {"libmariadb.so.3", "libmysqlclient.so.21"};
    const Case cases[] = {
        {"nothing listens", "127.0.0.2", standard},
        {"port through the host", "127.0.0.1:3306", standard},
        {"path through the host", "localhost/mysql", standard},
        {"options through the host", "localhost?x=y", standard},
        {"fail-over list", "127.0.0.1,", standard},
        {"connection string", "host=127.0.0.1;port=3306", standard},
        {"equals sign", "a=b", standard},
        {"client library missing", "127.0.0.1", {"libcalendar-missing.so.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        TDM dm;
        dm.conMain.setLibraryNames(c.libraries);
        RecordingWindow window(c.host);
        update::runCalendarUpdate(dm, window);
        EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kConnectFailed, kBackToStart}));
        EXPECT_FALSE(dm.conMain.connected());

        // The user corrects the field and presses the button again.
        window.events.clear();
        window.serverField = "127.0.0.1";
        dm.conMain.setLibraryNames(standard);
        update::runCalendarUpdate(dm, window);
        EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
        EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    }
}

TEST_F(CalendarRun, WrongPasswordIsAFailedConnect)
{
    admin.exec("ALTER USER 'quorvel'@'127.0.0.1' IDENTIFIED BY 'jine-heslo'");
    TDM dm;
    RecordingWindow window("127.0.0.1");
    update::runCalendarUpdate(dm, window);
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
    update::runCalendarUpdate(dm, window);

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
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kListUnreadable, "end"}));
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

TEST_F(CalendarRun, LostSessionStopsTheRunAndSaysSo)
{
    for (const char* name : {"t1", "t2", "t3", "t4"})
        createTenant(admin, name, CalendarTable::WithKey);
    GeneralLog log;
    TDM dm;
    RecordingWindow window("localhost");
    window.afterUpdate = [&](std::string_view name) {
        if (name == "t2")
            killSessionsOf(admin, "quorvel");
    };
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kSessionLost, "end"}));
    EXPECT_EQ(window.updated, (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(window.skipped.back(), "t3");
    EXPECT_TRUE(calendarRows(admin, "t3").empty());
    EXPECT_TRUE(calendarRows(admin, "t4").empty());
    EXPECT_FALSE(dm.conMain.connected());
}

}  // namespace
