// The database session against the real test server: connect, statements, results.
#include "data/DatabaseError.h"
#include "data/Pipeline.h"
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/HoldingRelay.h"
#include "update/ServerProbe.h"
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

// Statements fed to a pipeline one by one, and the answer each got, in order.
class Statements : public data::PipelineFeed {
public:
    explicit Statements(std::vector<std::string> statements) : statements_(std::move(statements)) {}

    std::optional<std::string> nextStatement() override
    {
        if (next_ == statements_.size())
            return std::nullopt;
        return statements_[next_++];
    }
    void answered(const data::DatabaseError* refusal) override
    {
        answers.push_back(refusal ? std::optional(refusal->number()) : std::nullopt);
    }

    // None for a statement that went through, the refusal's number otherwise.
    std::vector<std::optional<unsigned>> answers;

private:
    std::vector<std::string> statements_;
    std::size_t next_ = 0;
};

// Statements fed one by one with one question among them, wanted once `wantAfter` answers
// have come (0: before the first statement), whose answer is read through `session`; where
// it went and where its answer was read.
class StatementsAndAQuestion : public Statements {
public:
    static constexpr char kQuestion[] = "SELECT 'asked'";

    StatementsAndAQuestion(data::Connection& session, std::size_t statements, std::size_t wantAfter,
                           std::size_t mostBytes)
        : Statements(std::vector<std::string>(statements, "DO 1")),
          session_(session),
          wantAfter_(wantAfter),
          mostBytes_(mostBytes)
    {
    }

    std::optional<std::string> nextStatement() override
    {
        std::optional<std::string> statement = Statements::nextStatement();
        if (statement) {
            ++written_;
            if (asked_ && !questionAnswer)
                ++writtenWhileQuestionUnread;
        }
        return statement;
    }
    std::optional<data::Question> question() override
    {
        if (asked_ || answers.size() < wantAfter_)
            return std::nullopt;
        asked_ = true;
        writtenBeforeQuestion = written_;
        return data::Question{kQuestion, mostBytes_, [this] {
                                  session_.sendQuery(kQuestion);
                                  data::StoredResult rows = session_.storeResult();
                                  questionAnswer = rows.fetchRow() ? rows.firstColumn() : "no row";
                                  answersBeforeQuestionRead = answers.size();
                              }};
    }

    std::size_t writtenBeforeQuestion = 0;
    std::size_t writtenWhileQuestionUnread = 0;
    std::size_t answersBeforeQuestionRead = 0;
    std::optional<std::string> questionAnswer;

private:
    data::Connection& session_;
    const std::size_t wantAfter_;
    const std::size_t mostBytes_;
    std::size_t written_ = 0;
    bool asked_ = false;
};

// A session through a relay at `address` that asks the system for room for the answers
// of 300 statements, more than the 124 counted on where it cannot ask; the room it got.
std::size_t connectAskingRoomFor300(TDM& dm, const char* address)
{
    update::assignSessionSettings(dm.conMain, address);
    dm.conMain.settings.StatementsInFlightWanted = 300;
    dm.conMain.connect();
    return dm.conMain.mostStatementsInFlight();
}

// `feed` streamed in a thread of its own while the test watches the relay; what the
// pipeline throws fails the test.
std::thread streamInThread(TDM& dm, std::size_t depth, Statements& feed)
{
    return std::thread([&dm, depth, &feed] {
        try {
            data::streamStatements(dm.conMain, depth, feed);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
    });
}

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
    dm.conMain.settings.HostName = "127.0.0.2";
    EXPECT_NO_THROW(dm.conMain.connect());
    EXPECT_TRUE(dm.conMain.connected());
    // A session an earlier test closed may still be on the server's list for a moment.
    EXPECT_EQ(sessionsSettled(1), 1);
    EXPECT_EQ(log.queriesBy(kUser).size(), 1u);
}

TEST_F(Session, FailedConnectRaisesAndLeavesNothingOpen)
{
    admin.exec("CREATE USER IF NOT EXISTS 'bez_mysql'@'localhost' IDENTIFIED BY 'selvado'");
    const struct {
        const char* description;
        std::function<void(data::ConnectionSettings&)> change;
        std::optional<unsigned> number;  // none: the program's own refusal
    } cases[] = {
        {"wrong password", [](data::ConnectionSettings& c) { c.Password = "spatne"; }, 1045},
        {"nothing listens", [](data::ConnectionSettings& c) { c.HostName = "127.0.0.2"; }, 2002},
        {"no use of the database mysql", [](data::ConnectionSettings& c) { c.User = "bez_mysql"; }, 1044},
        {"unknown code page", [](data::ConnectionSettings& c) { c.Properties = {"Codepage=klingon"}; }, 1115},
        {"port in the host", [](data::ConnectionSettings& c) { c.HostName = "localhost:3306"; }, std::nullopt},
        {"NUL in the host", [](data::ConnectionSettings& c) { c.HostName = std::string("127.0.0.2\0x", 11); }, std::nullopt},
        {"other protocol", [](data::ConnectionSettings& c) { c.Protocol = "mysql-5"; }, std::nullopt},
        {"port out of range", [](data::ConnectionSettings& c) { c.Port = 70000; }, std::nullopt},
        {"client library missing", [](data::ConnectionSettings& c) { c.LibraryNames = {"libnot-here.so.1"}; }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        TDM dm;
        update::assignSessionSettings(dm.conMain, "localhost");
        c.change(dm.conMain.settings);
        try {
            // With statements to follow it: the flight changes nothing of how it fails.
            const std::vector<std::string> thenSend = {"SHOW DATABASES"};
            dm.conMain.connect(thenSend);
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
    dm.conMain.settings.LibraryNames = {"libnot-here.so.1", "libnot-there.so.2"};
    EXPECT_THROW(dm.conMain.connect(), data::ProgramError);
    dm.conMain.settings.LibraryNames = {"libnot-here.so.1", "libmariadb.so.3"};
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
    dm.conMain.settings.Port = 0;
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
        dm.conMain.settings.Properties = c.properties;
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
        Statements one({"DO 1"});
        data::streamStatements(dm.conMain, 1, one);
        EXPECT_EQ(one.answers, (std::vector<std::optional<unsigned>>{std::nullopt}));
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

TEST_F(Session, OpenQuerySendsOnlyTheFirstStatementWithoutItsSemicolon)
{
    createTenant(admin, "t1", CalendarTable::Missing);
    GeneralLog log;
    TDM dm;
    update::assignSessionSettings(dm.conMain, "localhost");
    dm.conMain.connect();

    ASSERT_TRUE(dm.OpenQuery(dm.qryTmp, "  SHOW DATABASES LIKE 't1' ;\n DROP DATABASE `t1`;"));
    EXPECT_EQ(dm.qryTmp.firstColumnText(), "t1");
    EXPECT_FALSE(dm.OpenQuery(dm.qryTmp, " ;\n")) << "a text without a statement";

    EXPECT_EQ(log.queriesBy(kUser), (std::vector<std::string>{"SET CHARACTER SET cp1250", "SHOW DATABASES LIKE 't1'"}));
    EXPECT_EQ(admin.scalar("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = 't1'"), "1");
}

// The statements that open a run leave with the code page and cost no round trip of their
// own: each answer waits for the query of its own text, and any other query first takes
// the waiting answers off the session, so that every answer reaches its own statement.
TEST_F(Session, StatementsSentWithTheConnectWaitForTheirOwnQuery)
{
    const std::vector<std::string> opening = {"SELECT 'eins'", "SHOW DATABASES LIKE 'mysql'"};
    const struct {
        const char* description;
        std::vector<std::string> queried;
        std::vector<std::string> firstColumns;
        std::vector<std::string> sentAfterTheFlight;
    } cases[] = {
        {"each taken in its turn", {"SELECT 'eins'", "SHOW DATABASES LIKE 'mysql'"}, {"eins", "mysql"}, {}},
        {"another query first", {"SELECT 'zwei'"}, {"zwei"}, {"SELECT 'zwei'"}},
        {"the second before the first", {"SHOW DATABASES LIKE 'mysql'", "SELECT 'eins'"}, {"mysql", "eins"},
         {"SHOW DATABASES LIKE 'mysql'", "SELECT 'eins'"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        GeneralLog log;
        TDM dm;
        update::assignSessionSettings(dm.conMain, "127.0.0.1");
        dm.conMain.connect(opening);
        std::vector<std::string> firstColumns;
        for (const std::string& query : c.queried) {
            EXPECT_TRUE(dm.OpenQuery(dm.qryTmp, query)) << query;
            firstColumns.push_back(dm.qryTmp.eof() ? "" : dm.qryTmp.firstColumnText());
        }
        EXPECT_EQ(firstColumns, c.firstColumns);
        std::vector<std::string> sent = {"SET CHARACTER SET cp1250"};
        sent.insert(sent.end(), opening.begin(), opening.end());
        sent.insert(sent.end(), c.sentAfterTheFlight.begin(), c.sentAfterTheFlight.end());
        EXPECT_EQ(log.queriesBy(kUser), sent);
    }

    // A refused statement of the flight is refused to its own query, and the session stays.
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    const std::vector<std::string> refused = {"SELECT * FROM `mysql`.`no_such_table`", "SELECT 'drei'"};
    dm.conMain.connect(refused);
    data::Failure why;
    EXPECT_FALSE(dm.OpenQuery(dm.qryTmp, refused[0], &why));
    EXPECT_EQ(why.number, 1146u) << why.text;
    ASSERT_TRUE(dm.OpenQuery(dm.qryTmp, refused[1]));
    EXPECT_EQ(dm.qryTmp.firstColumnText(), "drei");
}

TEST_F(Session, ASessionNoLongerWantedAfterItsLoginSendsNothingAndCloses)
{
    GeneralLog log;
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    const std::vector<std::string> opening = {"SHOW DATABASES"};
    int asked = 0;
    dm.conMain.connect(opening, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(dm.conMain.connected());
    EXPECT_TRUE(log.queriesBy(kUser).empty());
    EXPECT_EQ(sessionsSettled(0), 0);
}

TEST_F(Session, LostSessionRaisesAsSuchAndClosesTheConnection)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    dm.conMain.connect();
    killSessionsOf(admin, kUser);
    try {
        dm.conMain.sendQuery("DO 1");
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

    Statements feed(statements);
    data::streamStatements(dm.conMain, 3, feed);

    EXPECT_EQ(feed.answers, (std::vector<std::optional<unsigned>>{std::nullopt, 1146u, 1062u, std::nullopt}))
        << "each its own answer; a refusal stops nothing after it";
    EXPECT_TRUE(dm.conMain.connected());
    std::vector<std::string> sent = {"SET CHARACTER SET cp1250"};
    sent.insert(sent.end(), statements.begin(), statements.end());
    EXPECT_EQ(log.queriesBy(kUser), sent) << "each a query of its own, once";
    EXPECT_EQ(calendarRows(admin, "t2").size(), 1u);

    killSessionsOf(admin, kUser);
    Statements afterKill(statements);
    try {
        data::streamStatements(dm.conMain, 3, afterKill);
        ADD_FAILURE() << "no error";
    } catch (const data::DatabaseError& error) {
        EXPECT_TRUE(error.sessionLost()) << error.number() << " " << error.text();
    }
    EXPECT_TRUE(afterKill.answers.empty());
    EXPECT_FALSE(dm.conMain.connected());
    Statements closed(statements);
    EXPECT_THROW(data::streamStatements(dm.conMain, 3, closed), data::ProgramError);
}

// Answers left unread wait in the sockets' buffers; past what the session's receive
// buffer holds of them, those could fill up while the program still writes. Over TCP the
// session asks the system for room for more than the 124 counted on where it cannot ask;
// here for 300, so that a pipeline deeper than its buffer would show. A relay holds every
// answer back, so that what passes it shows how many statements the session writes ahead.
TEST_F(Session, APipelineKeepsNoMoreUnansweredThanItsReceiveBufferHolds)
{
    HoldingRelay relay("127.0.0.10");
    ASSERT_TRUE(relay.listening());
    TDM dm;
    const std::size_t room = connectAskingRoomFor300(dm, "127.0.0.10");
    // The system may round the size asked up or down a little; never to the old 124.
    EXPECT_GT(room, 250u);
    EXPECT_LT(room, 350u);
    relay.holdAnswers();
    Statements feed(std::vector<std::string>(room + 100, "DO 1"));
    std::thread pipeline = streamInThread(dm, 1000, feed);

    EXPECT_EQ(relay.waitForQueries(room, std::chrono::seconds(60)), room);
    EXPECT_EQ(relay.queriesAfterQuiet(std::chrono::milliseconds(500)), room);
    relay.release();
    pipeline.join();
    EXPECT_EQ(feed.answers.size(), room + 100);

    // Over the server's local socket the unread answers wait on the server's side, out of
    // the program's reach: the default buffer is counted on.
    TDM local;
    update::assignSessionSettings(local.conMain, "localhost");
    local.conMain.connect();
    EXPECT_TRUE(local.conMain.peerAddress().empty()) << "not a local socket";
    EXPECT_EQ(local.conMain.mostStatementsInFlight(), data::kStatementsInFlightUntold);
}

// A question with rows between a pipeline's statements goes as soon as the receive buffer
// has room for its longest answer beside those under way, and keeps that room free until
// it is read. A relay holds every answer back: what passes it shows what was written.
TEST_F(Session, AQuestionAmongStatementsKeepsTheRoomOfItsAnswerFree)
{
    struct Case {
        const char* description;
        std::size_t depth;
        // Longest answers' worth of the buffer the question's answer may take (a part of
        // one counts whole).
        std::size_t questionRoom;
    };
    const Case cases[] = {
        {"a short answer takes one place", 1000, 1},
        {"an answer that may take half the buffer", 1000, 150},
        {"a shallow pipeline writes no more than its depth", 5, 1},
        {"an answer that may fill the buffer goes alone", 1000, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        HoldingRelay relay("127.0.0.11");
        ASSERT_TRUE(relay.listening());
        TDM dm;
        const std::size_t room = connectAskingRoomFor300(dm, "127.0.0.11");
        ASSERT_GT(room, 250u);
        relay.holdAnswers();
        StatementsAndAQuestion feed(dm.conMain, room + 50, 0, c.questionRoom * data::kLongestAnswerBytes - 10);
        // The question goes first; the statements after it, while its place counts in the
        // depth and its answer's room in the buffer.
        const std::size_t statementsAhead =
            std::min(c.depth - 1, room > c.questionRoom ? room - c.questionRoom : 0);
        std::thread pipeline = streamInThread(dm, c.depth, feed);

        EXPECT_EQ(relay.waitForQueries(1 + statementsAhead, std::chrono::seconds(60)), 1 + statementsAhead);
        EXPECT_EQ(relay.queriesAfterQuiet(std::chrono::milliseconds(500)), 1 + statementsAhead);
        relay.release();
        pipeline.join();
        EXPECT_EQ(feed.questionAnswer, "asked");
        EXPECT_EQ(feed.answers.size(), room + 50);
        EXPECT_TRUE(std::all_of(feed.answers.begin(), feed.answers.end(), [](const auto& answer) { return !answer; }));
    }
}

// A question wanted in the middle of a run is answered in its place: after every statement
// written before it, and the statements after it keep going unless its answer may take the
// whole buffer.
TEST_F(Session, AQuestionsAnswerIsReadAfterTheStatementsWrittenBeforeIt)
{
    TDM dm;
    update::assignSessionSettings(dm.conMain, "127.0.0.1");
    dm.conMain.connect();
    const std::size_t room = dm.conMain.mostStatementsInFlight();
    for (const bool wholeBuffer : {false, true}) {
        SCOPED_TRACE(wholeBuffer ? "an answer that may take the whole buffer" : "a short answer");
        StatementsAndAQuestion feed(dm.conMain, 40, 3, wholeBuffer ? room * data::kLongestAnswerBytes : 100);
        data::streamStatements(dm.conMain, 10, feed);

        EXPECT_EQ(feed.questionAnswer, "asked");
        EXPECT_EQ(feed.answers.size(), 40u);
        EXPECT_GE(feed.writtenBeforeQuestion, 10u) << "the window was full when the question was wanted";
        EXPECT_EQ(feed.answersBeforeQuestionRead, feed.writtenBeforeQuestion);
        if (wholeBuffer)
            EXPECT_EQ(feed.writtenWhileQuestionUnread, 0u);
        else
            EXPECT_GT(feed.writtenWhileQuestionUnread, 0u);
    }
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
        const std::string identity = update::readProbe(dm.conMain, update::newCommandLockName()).identity;
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
        // A session an earlier test closed may still be on the server's list for a moment.
        EXPECT_EQ(sessionsSettled(1), 1);
    }
    EXPECT_EQ(sessionsSettled(0), 0);
}

}  // namespace
