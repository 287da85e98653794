// Runs under faults of the server and with hostile database names: the run writes only
// the calendar rows where they belong, changes nothing else, and says when it could not finish.
#include "data/DatabaseError.h"
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/RecordingWindow.h"
#include "update/CalendarUpdate.h"
#include "update/SessionSettings.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace testing_support;

const std::string kConnecting = "caption " + std::string(update::kCaptionConnecting);
const std::string kBackToStart = "caption " + std::string(update::kCaptionStart);
const std::string kConnectFailed = "notice CHYBA: " + std::string(update::kNoticeConnectFailed);
const std::string kDone = "notice OK: " + std::string(update::kNoticeDone);
const std::string kListUnreadable = "notice CHYBA: " + std::string(update::kNoticeListUnreadable);
const std::string kSessionLost = "notice CHYBA: " + std::string(update::kNoticeSessionLost);
const std::vector<std::string> kFailedConnect = {kConnecting, kConnectFailed, kBackToStart};

class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(*admin);
        for (const char* name : {"t1", "t2", "t3", "t4"})
            createTenantWithNeighbour(name);
        checksumBefore = checksumOutsideCalendars(*admin);
    }

    void TearDown() override
    {
        // Whatever a test did to the server, the next one finds the usual one.
        if (restarted)
            serverCommand("restart");
        reconnectAdmin();
        admin->exec("GRANT SHOW DATABASES ON *.* TO 'quorvel'@'localhost', 'quorvel'@'127.0.0.1'");
        admin->exec("ALTER USER 'quorvel'@'localhost' ACCOUNT UNLOCK");
        dropTenantDatabases(*admin);
    }

    // A tenant with a table of its own beside the calendar, which the run must never touch.
    void createTenantWithNeighbour(const std::string& name)
    {
        createTenant(*admin, name, CalendarTable::WithoutKey);
        admin->exec("CREATE TABLE " + identifier(name) + ".`invoices` (`id` INT, `note` VARCHAR(20))");
        admin->exec("INSERT INTO " + identifier(name) + ".`invoices` VALUES (1, 'keep')");
    }

    void restartServer(const std::string& options = "")
    {
        serverCommand("restart", options);
        restarted = true;
        reconnectAdmin();
    }

    void reconnectAdmin() { admin = std::make_unique<AdminSession>(); }

    void expectNothingElseChanged()
    {
        reconnectAdmin();
        EXPECT_EQ(checksumOutsideCalendars(*admin), checksumBefore);
    }

    std::unique_ptr<AdminSession> admin = std::make_unique<AdminSession>();
    std::string checksumBefore;
    bool restarted = false;
};

TEST_F(Faults, ServerKilledInTheMiddleOfTheRun)
{
    TDM dm;
    RecordingWindow window("127.0.0.1");
    window.afterUpdate = [](std::string_view name) {
        if (name == "t2")
            serverCommand("kill");
    };
    update::runCalendarUpdate(dm, window);
    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kSessionLost, "end"}));

    restartServer();
    EXPECT_EQ(calendarRows(*admin, "t1"), expectedCalendarRows());
    EXPECT_EQ(calendarRows(*admin, "t2"), expectedCalendarRows());
    EXPECT_TRUE(calendarRows(*admin, "t3").empty());
    EXPECT_TRUE(calendarRows(*admin, "t4").empty());
    expectNothingElseChanged();
}

TEST_F(Faults, ServerRestartedBetweenTheConnectAndTheList)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    restartServer();

    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);
    EXPECT_EQ(window.events, (std::vector<std::string>{kListUnreadable, "end"}));
    EXPECT_TRUE(calendarRows(*admin, "t1").empty());
    expectNothingElseChanged();
}

TEST_F(Faults, ListRefusedToAnAccountWithoutThePrivilege)
{
    admin->exec("REVOKE SHOW DATABASES ON *.* FROM 'quorvel'@'localhost', 'quorvel'@'127.0.0.1'");
    restartServer("--skip-show-database");
    checksumBefore = checksumOutsideCalendars(*admin);

    TDM dm;
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);
    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kListUnreadable, "end"}));
    EXPECT_TRUE(calendarRows(*admin, "t1").empty());
    expectNothingElseChanged();
}

TEST_F(Faults, CodePageRefusedLeavesNoSessionOpen)
{
    TDM dm;
    dm.conMain.Properties = {"Codepage=no_such_charset"};
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, kFailedConnect);
    EXPECT_FALSE(dm.conMain.connected());
    EXPECT_EQ(sessionsOf(*admin, "quorvel"), 0);
    expectNothingElseChanged();
}

TEST_F(Faults, AllConnectionsTaken)
{
    restartServer("--max-connections=4");
    std::vector<std::unique_ptr<TDM>> holders;
    for (int i = 0; i < 10; ++i) {
        auto holder = std::make_unique<TDM>();
        update::assignSessionSettings(holder->conMain, "localhost");
        try {
            holder->conMain.connect();
        } catch (const data::DatabaseError&) {
            break;
        }
        holders.push_back(std::move(holder));
    }
    ASSERT_LT(holders.size(), 10u) << "the server never ran out of connections";

    TDM dm;
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);
    EXPECT_EQ(window.events, kFailedConnect);

    // Once a connection is free again, the next press does the job.
    holders.clear();
    window.events.clear();
    for (int attempt = 0; attempt < 50 && window.events.empty(); ++attempt) {
        update::runCalendarUpdate(dm, window);
        if (window.events != std::vector<std::string>{kConnecting, kDone, "end"})
            window.events.clear();  // the server may not have let the holders go yet
    }
    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));
    EXPECT_EQ(calendarRows(*admin, "t4"), expectedCalendarRows());
    expectNothingElseChanged();
}

TEST_F(Faults, LockedAccount)
{
    admin->exec("ALTER USER 'quorvel'@'localhost' ACCOUNT LOCK");
    checksumBefore = checksumOutsideCalendars(*admin);
    TDM dm;
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);

    EXPECT_EQ(window.events, kFailedConnect);
    EXPECT_TRUE(calendarRows(*admin, "t1").empty());
    expectNothingElseChanged();
}

// Names built from what could break out of the quoted name: backquotes, quotes,
// semicolons, comment markers, blanks at the start, Czech letters, 64 characters.
std::vector<std::string> hostileNames()
{
    const std::vector<std::string> pieces = {
        "`", "``", "'", "\"", ";", "-- ", "#", "/*", "*/", " ", "\\", "%", "_", "č", "Ř", "ž", "ů",
        "`.`calendar`; DROP DATABASE `t1`; -- ", "'); DROP TABLE invoices; #", "${x}", "$1", "?", ",", "=",
    };
    std::vector<std::string> names;
    for (size_t i = 0; i < pieces.size(); ++i) {
        for (size_t j = 0; j < pieces.size(); j += 2) {
            std::string name = pieces[i] + "n" + std::to_string(names.size()) + pieces[j] + "x";
            names.push_back(name);
        }
    }
    names.push_back(" leading_blank");
    names.push_back("  two_leading_blanks`");
    names.push_back(std::string(64, 'a'));
    names.push_back(std::string(63, 'b') + "`");
    std::string czech64;
    for (int i = 0; i < 32; ++i)
        czech64 += "čř";
    names.push_back(czech64);
    return names;
}

TEST_F(Faults, HostileNamesEachGetExactlyTheirOwnRows)
{
    std::vector<std::string> created;
    for (const std::string& name : hostileNames()) {
        try {
            createTenant(*admin, name, CalendarTable::WithoutKey);
            created.push_back(name);
        } catch (const std::exception&) {
            // a name the server itself does not accept for a database
        }
    }
    ASSERT_GE(created.size(), 250u);
    checksumBefore = checksumOutsideCalendars(*admin);

    TDM dm;
    RecordingWindow window("localhost");
    update::runCalendarUpdate(dm, window);
    EXPECT_EQ(window.events, (std::vector<std::string>{kConnecting, kDone, "end"}));

    for (const std::string& name : created) {
        SCOPED_TRACE(name);
        EXPECT_EQ(calendarRows(*admin, name), expectedCalendarRows());
    }
    for (const char* name : {"t1", "t2", "t3", "t4"})
        EXPECT_EQ(calendarRows(*admin, name), expectedCalendarRows()) << name;
    expectNothingElseChanged();
}

}  // namespace
