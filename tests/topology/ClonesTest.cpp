// Clones of one installed image: different servers that give the same answer to every
// question of identity, a balancer that hands connections to them in turn, and what the
// program's account can do on such a plain server (named locks, refusals, engines).
#include "tests/support/AccountSession.h"
#include "tests/support/RoundRobinRelay.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

using testing_support::AccountSession;
using testing_support::AdminSession;
using testing_support::Answer;
using testing_support::CalendarShape;
using testing_support::CalendarTable;
using testing_support::Engine;
using testing_support::Rows;
using topology::Fleet;
using topology::FleetServer;
using topology::rowCount;

constexpr char kBalancer[] = "127.0.0.20";
constexpr char kLock[] = "calendar-import";

std::string lockQuery(const char* function)
{
    return std::string("SELECT ") + function + "('" + kLock + "'" + (std::string(function) == "GET_LOCK" ? ", 0)" : ")");
}

class Clones : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::clones(); }
    static const FleetServer& clone(std::size_t i) { return fleet().servers().at(i); }
};

TEST_F(Clones, EveryCloneGivesTheSameIdentityYetEachKeepsItsOwnData)
{
    ASSERT_GE(fleet().servers().size(), 2u);
    for (const FleetServer& server : fleet().servers()) {
        SCOPED_TRACE(server.name);
        AccountSession account(server.address);
        const Answer identity = account.query("SELECT @@hostname, @@port, @@datadir, @@server_id, @@socket");
        ASSERT_TRUE(identity.ok()) << identity.text;
        EXPECT_EQ(identity.rows, (Rows{{"db", "3306", "/var/lib/mysql/", "1", "/run/mysqld/mysqld.sock"}}));
    }

    AdminSession first(clone(0).socket);
    testing_support::createTenant(first, "only_on_the_first", CalendarTable::WithKey);
    for (const FleetServer& server : fleet().servers()) {
        SCOPED_TRACE(server.name);
        AccountSession account(server.address);
        const bool listed = account.query("SHOW DATABASES LIKE 'only_on_the_first'").rows.size() == 1;
        EXPECT_EQ(listed, server.name == clone(0).name);
    }
}

TEST_F(Clones, ARoundRobinRelayHandsSuccessiveConnectionsToEachCloneInTurn)
{
    testing_support::RoundRobinRelay balancer(kBalancer, {clone(0).address, clone(1).address});
    ASSERT_TRUE(balancer.listening());

    std::vector<std::unique_ptr<AccountSession>> sessions;
    for (int i = 0; i < 4; ++i)
        sessions.push_back(std::make_unique<AccountSession>(kBalancer));
    EXPECT_EQ(balancer.connectionsSentTo(),
              (std::vector<std::string>{clone(0).address, clone(1).address, clone(0).address, clone(1).address}));

    // Each clone's root sees two of the account's sessions, and a named lock proves which
    // sessions share a server: the one after next sees the holder, the next one does not.
    for (std::size_t i : {0u, 1u}) {
        AdminSession root(clone(i).socket);
        EXPECT_EQ(testing_support::sessionsOf(root, "quorvel"), 2) << clone(i).name;
    }
    ASSERT_EQ(sessions[0]->scalar(lockQuery("GET_LOCK")), "1");
    EXPECT_EQ(sessions[1]->scalar(lockQuery("IS_USED_LOCK")), "NULL");
    EXPECT_EQ(sessions[2]->scalar(lockQuery("IS_USED_LOCK")), std::to_string(sessions[0]->connectionId()));
    EXPECT_EQ(sessions[3]->scalar(lockQuery("GET_LOCK")), "1");
}

// Two sessions of the account on one server: the second sees the first hold the lock,
// by its connection id, until the first ends, however it ends.
TEST_F(Clones, ANamedLockIsHeldUntilItsSessionEnds)
{
    const std::string address = clone(0).address;
    AccountSession other(address);
    enum class End { Closed, KilledByTheAccount, KilledByRoot };
    for (End end : {End::Closed, End::KilledByTheAccount, End::KilledByRoot}) {
        SCOPED_TRACE(static_cast<int>(end));
        auto holder = std::make_unique<AccountSession>(address);
        ASSERT_EQ(holder->scalar(lockQuery("GET_LOCK")), "1");
        const std::string holderId = std::to_string(holder->connectionId());
        EXPECT_EQ(holder->scalar("SELECT CONNECTION_ID()"), holderId);
        EXPECT_EQ(other.scalar(lockQuery("IS_USED_LOCK")), holderId);
        EXPECT_EQ(other.scalar(lockQuery("IS_FREE_LOCK")), "0");
        EXPECT_EQ(other.scalar(lockQuery("GET_LOCK")), "0") << "a second GET_LOCK with no wait must not get it";
        // Taking it again in the holder's own session is allowed and changes nothing.
        EXPECT_EQ(holder->scalar(lockQuery("GET_LOCK")), "1");

        switch (end) {
        case End::Closed:
            holder->close();
            break;
        case End::KilledByTheAccount: {
            // The account may end its own sessions, those of another run as well.
            const Answer killed = other.query("KILL CONNECTION " + holderId);
            EXPECT_TRUE(killed.ok()) << killed.text;
            break;
        }
        case End::KilledByRoot: {
            AdminSession root(clone(0).socket);
            root.exec("KILL CONNECTION " + holderId);
            break;
        }
        }
        EXPECT_TRUE(topology::eventually([&] { return other.scalar(lockQuery("IS_FREE_LOCK")) == "1"; }));
        EXPECT_EQ(other.scalar(lockQuery("IS_USED_LOCK")), "NULL");
    }

    // A lock on one clone is nothing to another: the same name is free there.
    ASSERT_EQ(other.scalar(lockQuery("GET_LOCK")), "1");
    AccountSession onTheSecond(clone(1).address);
    EXPECT_EQ(onTheSecond.scalar(lockQuery("IS_USED_LOCK")), "NULL");
    EXPECT_EQ(onTheSecond.scalar(lockQuery("GET_LOCK")), "1");
}

// How a server refuses the program's statement, and what of the twelve rows stays: a
// table that is not transactional (MyISAM) keeps the rows before the refusal.
TEST_F(Clones, ARefusalLeavesRowsOnlyInATableThatIsNotTransactional)
{
    using Make = std::function<void(AdminSession&, const std::string&)>;
    // The calendar table with these columns and options, the account granted INSERT.
    const auto table = [](std::string definition, std::string existingRow = {}) -> Make {
        return [=](AdminSession& root, const std::string& name) {
            testing_support::createTenant(root, name, CalendarTable::Missing);
            root.exec("CREATE TABLE `" + name + "`.`calendar` " + definition);
            if (!existingRow.empty())
                root.exec("INSERT INTO `" + name + "`.`calendar` VALUES (" + existingRow + ")");
        };
    };
    const auto tenant = [](CalendarShape shape) -> Make {
        return [=](AdminSession& root, const std::string& name) { testing_support::createTenant(root, name, shape); };
    };
    const std::string keyed =
        "(`id` INT NOT NULL PRIMARY KEY, `year` INT NOT NULL, `month` INT NOT NULL, `days` VARCHAR(31) NOT NULL)";
    const std::string noJuly =
        "(`id` INT NOT NULL, `year` INT NOT NULL, `month` INT NOT NULL, `days` VARCHAR(31) NOT NULL, CHECK (`month` <> 7))";
    const std::string sixMonths =
        "(`id` INT NOT NULL, `year` INT NOT NULL, `month` ENUM('1','2','3','4','5','6') NOT NULL, `days` VARCHAR(31) NOT NULL)";
    // The row of month 7 already there (its id is 56).
    const std::string july = "56, 2008, 7, 'x'";
    struct Case {
        const char* name;
        Make make;       // nothing: the database is not there
        unsigned error;  // 0: accepted
        std::optional<std::size_t> rowsLeft;  // none: no table to hold rows
    };
    const std::vector<Case> cases = {
        {"no_database", nullptr, 1142, std::nullopt},
        {"no_table", tenant({.table = CalendarTable::Missing}), 1146, std::nullopt},
        {"no_right",
         [](AdminSession& root, const std::string& name) {
             root.exec("CREATE DATABASE `" + name + "`");
             root.exec("CREATE TABLE `" + name + "`.`calendar` (`id` INT NOT NULL, `year` INT NOT NULL,"
                       " `month` INT NOT NULL, `days` VARCHAR(31) NOT NULL)");
         },
         1142, 0},
        {"duplicate_myisam", table(keyed + " ENGINE=MyISAM", july), 1062, 7},
        {"duplicate_innodb", table(keyed + " ENGINE=InnoDB", july), 1062, 1},
        {"trigger_myisam", tenant({.table = CalendarTable::WithoutKey, .engine = Engine::MyISAM, .refusesJuly = true}),
         1644, 6},
        {"trigger_innodb", tenant({.table = CalendarTable::WithoutKey, .engine = Engine::InnoDB, .refusesJuly = true}),
         1644, 0},
        {"check_myisam", table(noJuly + " ENGINE=MyISAM"), 4025, 6},
        {"check_innodb", table(noJuly + " ENGINE=InnoDB"), 4025, 0},
        // January, the first row, is the longest: refused before any row.
        {"too_long_myisam",
         table("(`id` INT NOT NULL, `year` INT NOT NULL, `month` INT NOT NULL, `days` VARCHAR(30) NOT NULL) ENGINE=MyISAM"),
         1406, 0},
        {"no_default_myisam",
         table("(`id` INT NOT NULL, `year` INT NOT NULL, `month` INT NOT NULL, `days` VARCHAR(31) NOT NULL,"
               " `note` VARCHAR(9) NOT NULL) ENGINE=MyISAM"),
         1364, 0},
        // Bad data after the first row of a MyISAM table is only a warning (1265) under the
        // server's default STRICT_TRANS_TABLES: all twelve rows stay, months 7-12 emptied.
        {"truncated_myisam", table(sixMonths + " ENGINE=MyISAM"), 0, 12},
        {"truncated_innodb", table(sixMonths + " ENGINE=InnoDB"), 1265, 0},
    };
    AdminSession root(clone(0).socket);
    for (const Case& c : cases) {
        if (c.make)
            c.make(root, c.name);
    }

    AccountSession account(clone(0).address);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Answer answer = account.query(testing_support::expectedStatement(c.name));
        EXPECT_EQ(answer.error, c.error) << answer.text;
        if (c.rowsLeft) {
            EXPECT_EQ(rowCount(root, c.name), *c.rowsLeft);
        }
    }

    // The account reads each tenant's engine and whether it is transactional.
    const Answer engines = account.query(
        "SELECT t.TABLE_SCHEMA, t.ENGINE, e.TRANSACTIONS FROM information_schema.TABLES t"
        " JOIN information_schema.ENGINES e USING (ENGINE)"
        " WHERE t.TABLE_NAME = 'calendar' AND t.TABLE_SCHEMA IN ('trigger_myisam', 'trigger_innodb')"
        " ORDER BY t.TABLE_SCHEMA");
    EXPECT_EQ(engines.rows, (Rows{{"trigger_innodb", "InnoDB", "YES"}, {"trigger_myisam", "MyISAM", "NO"}}))
        << engines.text;
}

// Refusals that come from the server's state rather than the tenant's table.
TEST_F(Clones, AReadOnlyServerAndATooLargePacketRefuseBeforeAnyRow)
{
    AdminSession root(clone(0).socket);
    testing_support::createTenant(root, "t", CalendarShape{.table = CalendarTable::WithoutKey, .engine = Engine::MyISAM});

    root.exec("SET GLOBAL read_only = ON");
    {
        AccountSession account(clone(0).address);
        EXPECT_EQ(account.scalar("SELECT @@read_only"), "1");
        const Answer answer = account.query(testing_support::expectedStatement("t"));
        EXPECT_EQ(answer.error, 1290u) << answer.text;
    }
    root.exec("SET GLOBAL read_only = OFF");
    EXPECT_EQ(rowCount(root, "t"), 0u);

    // The server's bound is the larger of max_allowed_packet and net_buffer_length (16 KiB
    // unless set lower), neither below 1 KiB: a statement of the program, under 1 KiB,
    // never meets this refusal.
    const std::string allowed = root.scalar("SELECT @@global.max_allowed_packet");
    root.exec("SET GLOBAL max_allowed_packet = 1024");
    {
        AccountSession account(clone(0).address);
        std::string statement = testing_support::expectedStatement("t");
        statement.insert(statement.find(" VALUES"), " /*" + std::string(20000, 'x') + "*/");
        // The server answers 1153 and closes the session at once; when the rest of the
        // statement is still on its way the close resets the connection, and the client
        // reads "server has gone away" (2006) in place of the answer.
        const unsigned error = account.query(statement).error;
        EXPECT_TRUE(error == 1153 || error == 2006) << error;
        // The next statement finds the session gone: "server has gone away" (2006) when the
        // client saw the close before sending, "lost connection" (2013) when after.
        const unsigned next = account.query("SELECT 1").error;
        EXPECT_TRUE(next == 2006 || next == 2013) << "the session must be gone: " << next;
    }
    root.exec("SET GLOBAL max_allowed_packet = " + allowed);
    EXPECT_EQ(rowCount(root, "t"), 0u);
}

}  // namespace
