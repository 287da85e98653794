// The database session against the real test server: connect, statements, results.
#include "data/DatabaseError.h"
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "update/SessionSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace testing_support;

constexpr const char kUser[] = "quorvel";

class Session : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override { dropTenantDatabases(admin); }

    // The server lets a closed session go a moment after the client hung up.
    int sessionsSettled(int expected) { return sessionsSettledAt(admin, kUser, expected); }

    std::vector<std::string> walk(data::Query& query)
    {
        std::vector<std::string> names;
        for (; !query.eof(); query.next())
            names.push_back(query.firstColumnText());
        return names;
    }

    AdminSession admin;
};

TEST_F(Session, ReachesTheServerOverSocketOrTcp)
{
    const struct {
        const char* host;
        const char* transport;
    } cases[] = {{"localhost", "using Socket"}, {"127.0.0.1", "using TCP/IP"}, {"", "using Socket"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("host \"") + c.host + "\"");
        GeneralLog log;
        TDM dm;
        update::assignSessionSettings(dm.conMain, c.host);
        dm.conMain.connect();
        EXPECT_TRUE(dm.conMain.connected());

        const std::vector<LoggedCommand> commands = log.commandsSinceStart();
        const auto login = std::find_if(commands.begin(), commands.end(), [](const LoggedCommand& entry) {
            return entry.command == "Connect" && entry.argument.starts_with("quorvel@");
        });
        ASSERT_NE(login, commands.end());
        EXPECT_NE(login->argument.find(" on mysql "), std::string::npos) << login->argument;
        EXPECT_NE(login->argument.find(c.transport), std::string::npos) << login->argument;
        EXPECT_EQ(log.queriesBy(kUser), std::vector<std::string>{"SET CHARACTER SET cp1250"});
    }
}

TEST_F(Session, ConnectWhileConnectedDoesNothing)
{
    GeneralLog log;
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    dm.conMain.HostName = "127.0.0.2";
    EXPECT_NO_THROW(dm.conMain.connect());
    EXPECT_TRUE(dm.conMain.connected());
    EXPECT_EQ(sessionsOf(admin, kUser), 1);
    EXPECT_EQ(log.queriesBy(kUser).size(), 1u);
}

TEST_F(Session, FailedConnectRaisesAndLeavesNothingOpen)
{
    admin.exec("CREATE USER IF NOT EXISTS 'bez_mysql'@'localhost' IDENTIFIED BY 'selvado'");
    const struct {
        const char* description;
        std::function<void(data::Connection&)> change;
        std::optional<unsigned> number;  // none: the program's own refusal
    } cases[] = {
        {"wrong password", [](data::Connection& c) { c.Password = "spatne"; }, 1045},
        {"nothing listens", [](data::Connection& c) { c.HostName = "127.0.0.2"; }, 2002},
        {"no use of the database mysql", [](data::Connection& c) { c.User = "bez_mysql"; }, 1044},
        {"unknown code page", [](data::Connection& c) { c.Properties = {"Codepage=klingon"}; }, 1115},
        {"port in the host", [](data::Connection& c) { c.HostName = "localhost:3306"; }, std::nullopt},
        {"NUL in the host", [](data::Connection& c) { c.HostName = std::string("127.0.0.2\0x", 11); }, std::nullopt},
        {"other protocol", [](data::Connection& c) { c.Protocol = "mysql-5"; }, std::nullopt},
        {"port out of range", [](data::Connection& c) { c.Port = 70000; }, std::nullopt},
        {"client library missing", [](data::Connection& c) { c.setLibraryNames({"libnot-here.so.1"}); }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        TDM dm;
        update::assignSessionSettings(dm.conMain, "localhost");
        c.change(dm.conMain);
        try {
            dm.conMain.connect();
            ADD_FAILURE() << "connected";
        } catch (const data::Error& error) {
            EXPECT_EQ(error.failure().number, c.number) << error.text();
            EXPECT_FALSE(error.text().empty());
        }
        EXPECT_FALSE(dm.conMain.connected());
        EXPECT_EQ(sessionsSettled(0), 0);
    }
    admin.exec("DROP USER 'bez_mysql'@'localhost'");
}

TEST_F(Session, MissingLibraryIsLookedForAgainOnTheNextConnect)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.setLibraryNames({"libnot-here.so.1", "libnot-there.so.2"});
    EXPECT_THROW(dm.conMain.connect(), data::ProgramError);
    dm.conMain.setLibraryNames({"libnot-here.so.1", "libmariadb.so.3"});
    dm.conMain.connect();
    EXPECT_TRUE(dm.conMain.connected());
}

// ':' would carry a port in a host text, so it is refused there, except in a text that
// is an IPv6 address as a whole (the rule's own cases: HostTextTest). Here: connect
// applies it before the client library is asked, and an IPv6 address reaches the server.
TEST_F(Session, AnIpv6AddressIsAHostButNothingMayRideAlongWithIt)
{
    const struct {
        const char* host;
        bool connects;
        bool ownRefusal;  // refused by the program before the client library is asked
    } cases[] = {
        {"::1", true, false},
        {"0:0:0:0:0:0:0:1", true, false},
        {"fd00::10", false, false},  // a host the library may try, and cannot reach
        {"[::1]:3306", false, true},
        {"::1,127.0.0.1", false, true},
        {"::1/64", false, true},
        {"127.0.0.1:3306", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        TDM dm;
        update::assignSessionSettings(dm.conMain, c.host);
        try {
            dm.conMain.connect();
        } catch (const data::ProgramError&) {
            EXPECT_TRUE(c.ownRefusal);
        } catch (const data::DatabaseError& error) {
            EXPECT_FALSE(c.ownRefusal) << error.text();
        }
        EXPECT_EQ(dm.conMain.connected(), c.connects);
    }
}

TEST_F(Session, PortZeroMeansTheStandardPortWhateverTheEnvironmentSays)
{
    // Left to itself the client library would take port 0 as "MYSQL_TCP_PORT, else the
    // services file". The library reads the variable when it starts, and each test runs
    // in a process of its own, so this one sees it.
    setenv("MYSQL_TCP_PORT", "9", 1);
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    dm.conMain.Port = 0;
    dm.conMain.connect();
    EXPECT_TRUE(dm.conMain.connected());
    unsetenv("MYSQL_TCP_PORT");
}

TEST_F(Session, CodePagePropertyIsFoundWhateverItsCaseAndBlanks)
{
    const struct {
        std::vector<std::string> properties;
        std::vector<std::string> sent;
    } cases[] = {
        {{"CODEPAGE = cp1250 "}, {"SET CHARACTER SET cp1250"}},
        {{"other=1", "codepage=latin2"}, {"SET CHARACTER SET latin2"}},
        {{"Codepage="}, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.properties.empty() ? "none" : c.properties.back());
        GeneralLog log;
        TDM dm;
        dm.conMain.Properties = c.properties;
        update::assignSessionSettings(dm.conMain, "localhost");
        dm.conMain.connect();
        EXPECT_EQ(log.queriesBy(kUser), c.sent);
    }
}

TEST_F(Session, OpenQueryHoldsTheWholeListOnTheClient)
{
    createTenant(admin, "t1", CalendarTable::WithKey);
    createTenant(admin, "t2", CalendarTable::WithKey);
    createTenant(admin, "účet", CalendarTable::Missing);
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();

    ASSERT_TRUE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASES"));
    // Other statements on the same session while the list is being walked.
    std::vector<std::string> names;
    for (; !dm.qryTmp.eof(); dm.qryTmp.next()) {
        names.push_back(dm.qryTmp.firstColumnText());
        dm.qryServer.setSql("DO 1");
        dm.qryServer.execSql();
    }
    const std::vector<std::string> expected = {"information_schema", "mysql", "performance_schema", "sys",
                                               "t1", "t2", "účet"};
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);
}

TEST_F(Session, OpenQueryReportsFailureAndEmptyResults)
{
    TDM dm;
    EXPECT_FALSE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASES")) << "not connected";
    EXPECT_TRUE(dm.qryTmp.eof());

    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    EXPECT_TRUE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASES LIKE 'nic_takoveho'"));
    EXPECT_TRUE(dm.qryTmp.eof());

    ASSERT_TRUE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASES"));
    EXPECT_FALSE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASSES"));
    EXPECT_TRUE(dm.qryTmp.eof());
    EXPECT_FALSE(dm.OpenQuery(dm.qryTmp, "DO 1")) << "a statement without rows cannot be opened";
    EXPECT_TRUE(dm.conMain.connected());
}

TEST_F(Session, ExecuteSendsOnlyTheFirstStatementWithoutItsSemicolon)
{
    createTenant(admin, "t1", CalendarTable::WithoutKey);
    GeneralLog log;
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();

    dm.qryServer.setSql("INSERT INTO `t1`.`calendar` VALUES (1, 2008, 1, 'D');");
    dm.qryServer.execSql();
    EXPECT_EQ(dm.qryServer.rowsAffected(), 1u);
    dm.qryServer.setSql("  INSERT INTO `t1`.`calendar` VALUES (2, 2008, 1, 'a;b') ;\n DROP DATABASE `t1`;");
    dm.qryServer.execSql();

    EXPECT_EQ(log.queriesBy(kUser), (std::vector<std::string>{
                                         "SET CHARACTER SET cp1250",
                                         "INSERT INTO `t1`.`calendar` VALUES (1, 2008, 1, 'D')",
                                         "INSERT INTO `t1`.`calendar` VALUES (2, 2008, 1, 'a;b')",
                                     }));
    EXPECT_EQ(calendarRows(admin, "t1").size(), 2u);
}

TEST_F(Session, ExecuteRaisesTheServersRefusalAndKeepsTheSession)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();
    ASSERT_TRUE(dm.OpenQuery(dm.qryServer, "SHOW DATABASES"));

    dm.qryServer.setSql("INSERT INTO `no_such_db`.`calendar` VALUES (1)");
    try {
        dm.qryServer.execSql();
        ADD_FAILURE() << "no error";
    } catch (const data::DatabaseError& error) {
        EXPECT_FALSE(error.sessionLost());
        EXPECT_NE(error.number(), 0u);
    }
    EXPECT_FALSE(dm.qryServer.isOpen()) << "executing closes the open result first";
    EXPECT_TRUE(dm.conMain.connected());
    dm.qryServer.setSql("");
    EXPECT_THROW(dm.qryServer.execSql(), data::ProgramError);
}

TEST_F(Session, LostSessionRaisesAsSuchAndClosesTheConnection)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    dm.conMain.connect();
    killSessionsOf(admin, kUser);
    dm.qryServer.setSql("DO 1");
    try {
        dm.qryServer.execSql();
        ADD_FAILURE() << "no error";
    } catch (const data::DatabaseError& error) {
        EXPECT_TRUE(error.sessionLost()) << error.number() << " " << error.text();
    }
    EXPECT_FALSE(dm.conMain.connected());
}

TEST_F(Session, APipelineGivesEachStatementItsOwnAnswerInOrder)
{
    createTenant(admin, "t1", CalendarTable::WithKey);
    createTenant(admin, "t2", CalendarTable::WithKey);
    createTenant(admin, "t3", CalendarTable::Missing);
    GeneralLog log;
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    dm.conMain.connect();
    const std::vector<std::string> statements = {
        "INSERT INTO `t1`.`calendar` VALUES (1, 2008, 1, 'a')",
        "INSERT INTO `t3`.`calendar` VALUES (1, 2008, 1, 'a')",
        "INSERT INTO `t1`.`calendar` VALUES (1, 2008, 1, 'a')",
        "INSERT INTO `t2`.`calendar` VALUES (1, 2008, 1, 'a')",
    };

    const data::PipelineResult result = dm.conMain.executePipeline(statements);

    EXPECT_FALSE(result.lost);
    ASSERT_EQ(result.answers.size(), statements.size());
    EXPECT_FALSE(result.answers[0]);
    ASSERT_TRUE(result.answers[1]);
    EXPECT_EQ(result.answers[1]->number(), 1146u);
    ASSERT_TRUE(result.answers[2]);
    EXPECT_EQ(result.answers[2]->number(), 1062u) << "its own answer, not the one before it";
    EXPECT_FALSE(result.answers[3]) << "a refusal stops nothing after it";
    std::vector<std::string> sent = {"SET CHARACTER SET cp1250"};
    sent.insert(sent.end(), statements.begin(), statements.end());
    EXPECT_EQ(log.queriesBy(kUser), sent) << "each a query of its own, once";
    EXPECT_EQ(calendarRows(admin, "t2").size(), 1u);

    killSessionsOf(admin, kUser);
    const data::PipelineResult afterKill = dm.conMain.executePipeline(statements);
    EXPECT_TRUE(afterKill.lost && afterKill.lost->sessionLost());
    EXPECT_TRUE(afterKill.answers.empty());
    EXPECT_GE(afterKill.inFlight, 1u);
    EXPECT_FALSE(dm.conMain.connected());
    EXPECT_THROW(dm.conMain.executePipeline(statements), data::ProgramError);
}

TEST_F(Session, TellsWhoTheServerIsWhicheverAddressReachedIt)
{
    const struct {
        const char* host;
        const char* peer;  // empty: a local socket
    } cases[] = {{"127.0.0.1", "127.0.0.1"}, {"127.1", "127.0.0.1"}, {"::1", "::1"}, {"localhost", ""}};
    std::optional<std::string> first;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        TDM dm;
        update::assignSessionSettings(dm.conMain, c.host);
        dm.conMain.connect();
        EXPECT_EQ(dm.conMain.peerAddress(), c.peer);
        const std::string identity = dm.conMain.serverIdentity();
        EXPECT_NE(identity.find(admin.scalar("SELECT @@datadir")), std::string::npos) << identity;
        if (first) {
            EXPECT_EQ(identity, *first);
        }
        first = identity;
    }
}

TEST_F(Session, DestroyingTheDataModuleClosesTheSession)
{
    {
        TDM dm;
        update::assignSessionSettings(dm.conMain, "localhost");
        dm.conMain.connect();
        ASSERT_TRUE(dm.OpenQuery(dm.qryTmp, "SHOW DATABASES"));
        EXPECT_EQ(sessionsOf(admin, kUser), 1);
    }
    EXPECT_EQ(sessionsSettled(0), 0);
}

}  // namespace
