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

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace {

using namespace testing_support;

using update::RunEnd;

// One run against `host`, as the console does it; the observer sees each database.
update::RunOutcome runAgainst(TDM& dm, const std::string& host, RecordingObserver& observer,
                              const update::RunOptions& options = {})
{
    return update::runCalendarUpdate(dm, host, observer, options);
}

update::RunOutcome runAgainst(TDM& dm, const std::string& host)
{
    RecordingObserver observer;
    return runAgainst(dm, host, observer);
}

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

// A fault that ends the program's session after the second database: a lost session with
// a number, the third database (under way, or about to be) unknown and never counted as
// skipped, the first two written, nothing after it touched and nothing else changed.
// "Under a waiting statement": the third database's statement is waiting for a table that
// another session holds locked when the fault comes. (Every one of these reaches the
// client as 2006 or 2013, not as the server's own notices of a kill or a shutdown.)
TEST_F(Faults, SessionLostAfterTheSecondDatabase)
{
    using Fault = std::function<void(AdminSession& other, const std::string& waitingSession)>;
    const struct {
        const char* description;
        bool underAWaitingStatement;
        bool stopsTheServer;
        Fault fault;
    } cases[] = {
        {"the account's sessions killed between statements", false, false,
         [](AdminSession& other, const std::string&) { killSessionsOf(other, "quorvel"); }},
        {"server process killed", false, true, [](AdminSession&, const std::string&) { serverCommand("kill"); }},
        {"killed by an administrator under a waiting statement", true, false,
         [](AdminSession& other, const std::string& waiting) { other.exec("KILL CONNECTION " + waiting); }},
        {"server shut down under a waiting statement", true, true,
         [](AdminSession&, const std::string&) { serverCommand("stop"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        dropTenantDatabases(*admin);
        for (const char* name : {"t1", "t2", "t3", "t4"})
            createTenantWithNeighbour(name);
        checksumBefore = checksumOutsideCalendars(*admin);

        auto locker = std::make_unique<AdminSession>();
        std::thread waitingFault;
        TDM dm;
        RecordingObserver observer;
        observer.afterUpdate = [&](std::string_view name) {
            if (name != "t2")
                return;
            if (!c.underAWaitingStatement) {
                c.fault(*locker, "");
                return;
            }
            locker->exec("LOCK TABLES `t3`.`calendar` WRITE");
            waitingFault = std::thread([&] {
                AdminSession other;
                // The next statement, t3's, waits for the lock; bounded at about 30 s.
                std::string waiting;
                for (int i = 0; i < 300 && waiting.empty(); ++i) {
                    const Rows rows = other.rows(
                        "SELECT ID FROM information_schema.PROCESSLIST WHERE USER = 'quorvel' AND STATE LIKE "
                        "'Waiting for table%'");
                    if (rows.empty())
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    else
                        waiting = rows.front().front();
                }
                if (!waiting.empty())
                    c.fault(other, waiting);
            });
        };
        // One statement at a time, so that the fault comes between two of them.
        update::RunOptions oneByOne;
        oneByOne.depth = 1;
        const update::RunOutcome outcome = runAgainst(dm, "localhost", observer, oneByOne);
        if (waitingFault.joinable())
            waitingFault.join();
        locker.reset();
        if (c.stopsTheServer)
            restartServer();

        EXPECT_EQ(outcome.end, RunEnd::SessionLost);
        ASSERT_TRUE(outcome.failure);
        EXPECT_TRUE(outcome.failure->number) << outcome.failure->text;
        EXPECT_EQ(observer.updated, (std::vector<std::string>{"t1", "t2"}));
        EXPECT_EQ(observer.unknown, (std::vector<std::string>{"t3"}));
        EXPECT_EQ(outcome.count(update::DatabaseOutcome::Unknown), 1u);
        EXPECT_EQ(std::count(observer.skipped.begin(), observer.skipped.end(), "t3"), 0);
        EXPECT_GE(outcome.count(update::DatabaseOutcome::NotReached), 1u) << "t4";
        EXPECT_FALSE(dm.conMain.connected());
        reconnectAdmin();
        EXPECT_EQ(calendarRows(*admin, "t1"), expectedCalendarRows());
        EXPECT_EQ(calendarRows(*admin, "t2"), expectedCalendarRows());
        EXPECT_TRUE(calendarRows(*admin, "t3").empty());
        EXPECT_TRUE(calendarRows(*admin, "t4").empty());
        expectNothingElseChanged();
    }
}

TEST_F(Faults, ServerRestartedBetweenTheConnectAndTheList)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    restartServer();

    EXPECT_EQ(runAgainst(dm, "localhost").end, RunEnd::ListUnreadable);
    EXPECT_TRUE(calendarRows(*admin, "t1").empty());
    expectNothingElseChanged();
}

TEST_F(Faults, ListRefusedToAnAccountWithoutThePrivilege)
{
    admin->exec("REVOKE SHOW DATABASES ON *.* FROM 'quorvel'@'localhost', 'quorvel'@'127.0.0.1'");
    restartServer("--skip-show-database");
    checksumBefore = checksumOutsideCalendars(*admin);

    TDM dm;
    const update::RunOutcome outcome = runAgainst(dm, "localhost");
    EXPECT_EQ(outcome.end, RunEnd::ListUnreadable);
    ASSERT_TRUE(outcome.failure);
    EXPECT_TRUE(outcome.failure->number) << "the server's own refusal, with its number";
    EXPECT_TRUE(calendarRows(*admin, "t1").empty());
    expectNothingElseChanged();
}

TEST_F(Faults, CodePageRefusedLeavesNoSessionOpen)
{
    TDM dm;
    dm.conMain.settings.Properties = {"Codepage=no_such_charset"};
    EXPECT_EQ(runAgainst(dm, "localhost").end, RunEnd::NoConnection);
    EXPECT_FALSE(dm.conMain.connected());
    EXPECT_EQ(sessionsSettledAt(*admin, "quorvel", 0), 0);
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
        } catch (const data::Error&) {
            break;
        }
        holders.push_back(std::move(holder));
    }
    ASSERT_LT(holders.size(), 10u) << "the server never ran out of connections";

    TDM dm;
    EXPECT_EQ(runAgainst(dm, "localhost").end, RunEnd::NoConnection);

    // Once a connection is free again, the next attempt does the job.
    holders.clear();
    RunEnd end = RunEnd::NoConnection;
    for (int attempt = 0; attempt < 50 && end == RunEnd::NoConnection; ++attempt)
        end = runAgainst(dm, "localhost").end;  // the server may not have let the holders go yet
    EXPECT_EQ(end, RunEnd::Completed);
    EXPECT_EQ(calendarRows(*admin, "t4"), expectedCalendarRows());
    expectNothingElseChanged();
}

TEST_F(Faults, LockedAccount)
{
    admin->exec("ALTER USER 'quorvel'@'localhost' ACCOUNT LOCK");
    checksumBefore = checksumOutsideCalendars(*admin);
    TDM dm;
    EXPECT_EQ(runAgainst(dm, "localhost").end, RunEnd::NoConnection);
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
    EXPECT_EQ(runAgainst(dm, "localhost").end, RunEnd::Completed);

    for (const std::string& name : created) {
        SCOPED_TRACE(name);
        EXPECT_EQ(calendarRows(*admin, name), expectedCalendarRows());
    }
    for (const char* name : {"t1", "t2", "t3", "t4"})
        EXPECT_EQ(calendarRows(*admin, name), expectedCalendarRows()) << name;
    expectNothingElseChanged();
}

}  // namespace
