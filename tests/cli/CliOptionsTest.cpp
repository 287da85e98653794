// The console program in scripts and schedulers: its options, output that cannot be
// written, the JSON report, the progress line, time limits, a run that wrote nothing and
// a run stopped by a signal, against the real test server.
#include "app/cli/OptionTable.h"
#include "tests/cli/CliSupport.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/DelayRelay.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {

using namespace cli_testing;
using namespace testing_support;

// A loopback address of the suite's for relays and silent listeners, on port 3306.
constexpr char kRelayAddress[] = "127.0.0.3";

const std::string kWriteFailed = "calendar-import-cli: výstup nejde zapsat";

class CliWithServer : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override
    {
        admin.exec("SET GLOBAL read_only = OFF");
        dropTenantDatabases(admin);
    }

    std::size_t listed() const { return databasesListedInWindows1250().size(); }

    AdminSession admin;
};

TEST(CliOptionsLine, WrongValuesAreUsageErrorsInCzech)
{
    struct Case {
        Arguments arguments;
        std::string firstLine;
    };
    const Case cases[] = {
        {{"--timeout", "soon"}, "calendar-import-cli: volba --timeout potřebuje celé číslo od 0 do 86400, ne soon"},
        {{"--connect-timeout=-1"},
         "calendar-import-cli: volba --connect-timeout potřebuje celé číslo od 0 do 86400, ne -1"},
        {{"--batch", "0"}, "calendar-import-cli: volba --batch potřebuje celé číslo od 1 do 1000, ne 0"},
        {{"--sessions=65"}, "calendar-import-cli: volba --sessions potřebuje celé číslo od 1 do 64, ne 65"},
        {{"--parallel", "2x"}, "calendar-import-cli: volba --parallel potřebuje celé číslo od 1 do 64, ne 2x"},
        {{"--format", "xml"}, "calendar-import-cli: volba --format přijímá text nebo json, ne xml"},
        {{"--timeout"}, "calendar-import-cli: volbě --timeout chybí hodnota"},
        {{"--tls-ca="}, "calendar-import-cli: volbě --tls-ca chybí hodnota"},
        // After "--" nothing is an option, and the program takes no operands.
        {{"--", "--host"}, "calendar-import-cli: neznámý argument --host"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstLine);
        const CliResult result = runCli(c.arguments);
        EXPECT_EQ(result.exitStatus, 64);
        EXPECT_TRUE(result.out.empty());
        ASSERT_EQ(result.err.size(), 2u);
        EXPECT_EQ(result.err[0], c.firstLine);
        EXPECT_TRUE(result.err[1].starts_with("Použití: "));
    }

    const CliResult shortHelp = runCli({"-h"});
    EXPECT_EQ(shortHelp.exitStatus, 0);
    EXPECT_TRUE(!shortHelp.out.empty() && shortHelp.out.front().starts_with("Použití: "));
    const CliResult shortVersion = runCli({"-V"});
    EXPECT_EQ(shortVersion.exitStatus, 0);
    EXPECT_EQ(shortVersion.out.size(), 1u);
}

// The program takes each number's lowest and highest values all the way to a run: every
// limit of the option table at once.
TEST_F(CliWithServer, EveryNumbersLimitsAreTakenAllTheWayToARun)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const std::size_t total = listed();
    for (const bool highest : {false, true}) {
        Arguments arguments = {"--host", "127.0.0.1", "--dry-run"};
        for (const cli::Option& option : cli::kOptions) {
            if (option.kind == cli::OptionKind::Number)
                arguments.push_back(std::string(option.name) + "=" + std::to_string(highest ? option.high : option.low));
        }
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitStatus, 0) << testing::PrintToString(result.err);
        EXPECT_EQ(result.out.size(), total);
        EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
    }
}

TEST_F(CliWithServer, OutputThatCannotBeWrittenEndsWithSeventyFour)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const Arguments cases[] = {{"--help"}, {"--version"}, {"--host", "127.0.0.1"}, {"--host", "127.0.0.1", "--format", "json"}};
    for (const Arguments& arguments : cases) {
        SCOPED_TRACE(arguments.front() + (arguments.size() > 2 ? " " + arguments.back() : ""));
        const CliResult result = runCliRedirected(arguments, ">/dev/full");
        EXPECT_EQ(result.exitStatus, 74);
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.back(), kWriteFailed);
    }
}

TEST_F(CliWithServer, ClosedStandardStreamsNeverReachTheSession)
{
    // A descriptor left closed would be taken by the session's socket, and the report
    // would be sent to the server in the middle of the statements.
    std::vector<std::string> tenants;
    for (int i = 0; i < 100; ++i)
        tenants.push_back("t" + std::to_string(1000 + i));
    for (const char* redirections : {">&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(redirections);
        dropTenantDatabases(admin);
        for (const std::string& name : tenants)
            createTenant(admin, name, CalendarTable::WithKey);
        const CliResult result = runCliRedirected({"--host", "127.0.0.1"}, redirections);
        EXPECT_EQ(result.exitStatus, 0);
        std::size_t withRows = 0;
        for (const std::string& name : tenants)
            withRows += calendarRows(admin, name) == expectedCalendarRows() ? 1 : 0;
        EXPECT_EQ(withRows, tenants.size());
    }
}

TEST_F(CliWithServer, JsonReportIsOneObjectPerLineWithTheHumanReportOnStandardError)
{
    const std::string awkward = "a\"b\\c účet";
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    createTenant(admin, awkward, CalendarTable::WithKey);
    createTenant(admin, "bez_kalendare", CalendarTable::Missing);
    const std::size_t total = listed();

    const CliResult result = runCli({"--host", "127.0.0.1", "--format", "json"});

    EXPECT_EQ(result.exitStatus, 0);
    ASSERT_EQ(result.out.size(), total + 2) << "a database each, the server's summary and the total";
    const std::string database = R"({"type":"database","server":"127.0.0.1","database":)";
    EXPECT_TRUE(contains(result.out, database + R"("firma_a","outcome":"updated"})"));
    EXPECT_TRUE(contains(result.out, database + R"("a\"b\\c účet","outcome":"updated"})"));
    EXPECT_TRUE(contains(result.out, database + R"("bez_kalendare","outcome":"skipped","error":{"number":1146,)"
                                                R"("text":"Table 'bez_kalendare.calendar' doesn't exist"}})"));
    EXPECT_EQ(result.out[total],
              R"({"type":"summary","server":"127.0.0.1","end":"completed","listed":)" + std::to_string(total) +
                  R"(,"updated":2,"alreadyThere":0,"skipped":)" + std::to_string(total - 2) +
                  R"(,"possiblyPartlyWritten":0,"listedAgain":0,"unknown":0,"notReached":0,"dryRun":0,"nothingWritten":false,"exitStatus":0})");
    EXPECT_EQ(result.out.back(), R"({"type":"total","servers":1,"notConnected":0,"listed":)" + std::to_string(total) +
                                     R"(,"updated":2,"alreadyThere":0,"skipped":)" + std::to_string(total - 2) +
                                     R"(,"possiblyPartlyWritten":0,"listedAgain":0,"unknown":0,"notReached":0,"dryRun":0,"exitStatus":0})");
    // The person watching still reads every database.
    EXPECT_TRUE(contains(result.err, "firma_a: aktualizována"));
    EXPECT_TRUE(contains(result.err, "a\"b\\\\c účet: aktualizována"));
    EXPECT_EQ(result.err.back(), summary({.listed = total, .updated = 2, .skipped = total - 2}));
}

TEST_F(CliWithServer, JsonReportNamesTheDatabasesALostSessionLeftOpenOrUntouched)
{
    for (const char* name : {"t1", "t2", "t3", "t4"})
        createTenant(admin, name, CalendarTable::WithKey);
    CuttingProxy relay(kRelayAddress, "INSERT INTO `t3`");

    // One statement at a time: t2 answered, t3 under way, t4 never sent.
    const CliResult result = runCli({"--host", kRelayAddress, "--format", "json", "--batch", "1"});

    EXPECT_EQ(result.exitStatus, 2);
    const std::string database = std::string(R"({"type":"database","server":")") + kRelayAddress + R"(","database":)";
    EXPECT_TRUE(contains(result.out, database + R"("t2","outcome":"updated"})"));
    EXPECT_EQ(countStartingWith(result.out, database + R"("t3","outcome":"unknown","error":{"number":)"), 1u);
    EXPECT_TRUE(contains(result.out, database + R"("t4","outcome":"not-reached"})"));
    const std::string end = R"("end":"session-lost")";
    EXPECT_NE(result.out[result.out.size() - 2].find(end), std::string::npos) << result.out[result.out.size() - 2];
    EXPECT_TRUE(calendarRows(admin, "t4").empty());
}

// The program with its standard error on a terminal of its own; what the terminal showed.
std::string errorOnATerminal(const Arguments& arguments, const char* term)
{
    int terminal = -1;
    int side = -1;
    if (openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0)
        return "no terminal";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, side, 2);
    posix_spawn_file_actions_addclose(&actions, terminal);
    std::vector<std::string> environment = {"LC_ALL=C.UTF-8", std::string("TERM=") + term};
    const std::string program = CLI_PROGRAM;
    testing_support::SpawnVectors vectors = testing_support::spawnVectors(program, arguments, environment);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, vectors.argv.data(), vectors.envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(side);
    std::string shown;
    char buffer[4096];
    ssize_t count = 0;
    // Once the program has ended and closed its side, reading gives an error.
    while (spawned && (count = read(terminal, buffer, sizeof buffer)) > 0)
        shown.append(buffer, static_cast<std::size_t>(count));
    close(terminal);
    if (spawned)
        waitpid(pid, nullptr, 0);
    return shown;
}

TEST_F(CliWithServer, ProgressIsDrawnOnlyOnATerminalThatCanTakeIt)
{
    for (const char* name : {"t1", "t2", "t3"})
        createTenant(admin, name, CalendarTable::WithKey);
    const std::string total = std::to_string(listed());

    const std::string drawn = errorOnATerminal({"--host", "127.0.0.1"}, "xterm");
    EXPECT_NE(drawn.find("\r\x1b[KZpracováno databází: 1 / " + total), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("Zpracováno databází: " + total + " / " + total), std::string::npos) << drawn;

    dropTenantDatabases(admin);
    for (const char* name : {"t1", "t2", "t3"})
        createTenant(admin, name, CalendarTable::WithKey);
    const std::string plain = errorOnATerminal({"--host", "127.0.0.1"}, "dumb");
    EXPECT_EQ(plain.find("Zpracováno"), std::string::npos) << plain;
    EXPECT_EQ(plain.find('\x1b'), std::string::npos) << plain;
    EXPECT_NE(plain.find("Aktualizace dokončena"), std::string::npos) << plain;
}

// A socket that takes connections and never says a word, as a hung server does.
class SilentListener {
public:
    explicit SilentListener(const char* address) : socket_(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(3306);
        inet_pton(AF_INET, address, &local.sin_addr);
        const int yes = 1;
        setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        // The kernel completes the connection from the backlog; nobody ever answers it.
        listening_ = bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 &&
                     listen(socket_, 8) == 0;
    }
    ~SilentListener() { close(socket_); }
    bool listening() const { return listening_; }

private:
    int socket_;
    bool listening_ = false;
};

// The program under a bound of the test's own, so that a wait that never ends fails the
// test instead of hanging it (`timeout` ends the program with 124).
CliResult runCliBounded(const Arguments& arguments)
{
    Arguments bounded = {"120", CLI_PROGRAM};
    bounded.insert(bounded.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.environment = {{"LC_ALL", "C.UTF-8"}};
    const ChildResult child = runChild("/usr/bin/timeout", bounded, options);
    return {child.exitStatus, linesOf(child.out), linesOf(child.err)};
}

// A wait of one second's limit ends within this, however loaded the machine; a limit
// taken from the other option (60 s by default) does not.
constexpr auto kOneSecondLimitEndsWithin = std::chrono::seconds(20);

// How long `run` took.
template <typename Run>
std::chrono::steady_clock::duration timed(Run run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::steady_clock::now() - start;
}

TEST_F(CliWithServer, TimeLimitsEndAWaitForAServerThatDoesNotAnswer)
{
    {
        SilentListener silent(kRelayAddress);
        ASSERT_TRUE(silent.listening());
        // The greeting is the server's first answer: --timeout bounds it even where
        // connecting has no limit of its own.
        const Arguments cases[] = {{"--connect-timeout", "1"}, {"--connect-timeout", "0", "--timeout", "1"}};
        for (const Arguments& limits : cases) {
            SCOPED_TRACE(limits.size());
            Arguments arguments = {"--host", kRelayAddress};
            arguments.insert(arguments.end(), limits.begin(), limits.end());
            CliResult result;
            const auto took = timed([&] { result = runCliBounded(arguments); });
            EXPECT_LT(took, kOneSecondLimitEndsWithin);
            EXPECT_EQ(result.exitStatus, 1);
            ASSERT_EQ(result.err.size(), 1u);
            EXPECT_TRUE(result.err[0].starts_with(
                std::string("calendar-import-cli: nepodařilo se připojit k serveru ") + kRelayAddress + ": "))
                << result.err[0];
        }
    }

    for (const char* name : {"t1", "t2", "t3"})
        createTenant(admin, name, CalendarTable::WithKey);
    {
        DelayRelay hanging(kRelayAddress, "127.0.0.1", std::chrono::microseconds(0), "INSERT INTO `t2`");
        ASSERT_TRUE(hanging.listening());
        // One statement at a time: t1 answered before t2 waits for its answer in vain.
        CliResult result;
        const auto took = timed([&] { result = runCliBounded({"--host", kRelayAddress, "--timeout", "1", "--batch", "1"}); });
        EXPECT_LT(took, kOneSecondLimitEndsWithin);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_TRUE(contains(result.out, "t1: aktualizována"));
        EXPECT_EQ(countStartingWith(result.out, "t2: výsledek neznámý, spojení se přerušilo: "), 1u);
        EXPECT_EQ(result.err.back(), summary({.listed = listed(), .updated = 1, .skipped = result.out.size() - 2,
                                              .unknown = 1, .notReached = 1}));
    }

    // A list the server stops sending part-way is a lost session, not an empty answer.
    createTenant(admin, "t4_seznam_konci_zde", CalendarTable::WithKey);
    DelayRelay cut(kRelayAddress, "127.0.0.1", std::chrono::microseconds(0), "t4_seznam_konci_zde");
    ASSERT_TRUE(cut.listening());
    CliResult result;
    const auto took = timed([&] { result = runCliBounded({"--host", kRelayAddress, "--timeout", "1"}); });
    EXPECT_LT(took, kOneSecondLimitEndsWithin);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.out.empty());
    ASSERT_EQ(result.err.size(), 2u) << "the failure and the summary";
    EXPECT_TRUE(result.err[0].starts_with(std::string("calendar-import-cli: seznam databází serveru ") + kRelayAddress +
                                          " nešel načíst: "))
        << result.err[0];
    EXPECT_TRUE(result.err[0].ends_with("(2013)")) << result.err[0];
    EXPECT_TRUE(calendarRows(admin, "t3").empty()) << "nothing is sent after a list cut short";
}

TEST_F(CliWithServer, ARunThatWroteNothingSaysSoAndEndsWithThree)
{
    dropTenantDatabases(admin);
    for (const char* name : {"t1", "t2"}) {
        createTenant(admin, name, CalendarTable::WithKey);
        for (const char* host : {"localhost", "127.0.0.1"})
            admin.exec(std::string("REVOKE INSERT ON `") + name + "`.* FROM 'quorvel'@'" + host + "'");
    }
    const std::size_t total = listed();

    const CliResult result = runCli({"--host", "127.0.0.1"});

    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.err, (std::vector<std::string>{
                              "calendar-import-cli: na serveru 127.0.0.1 nebylo nic zapsáno: všechny databáze "
                              "příkaz odmítly",
                              summary({.listed = total, .skipped = total})}));
    EXPECT_TRUE(calendarRows(admin, "t1").empty());
}

// A trigger refuses month 7: a table without transactions keeps months 1-6, so the report
// never says the database was merely skipped, nor the run that nothing was written; on a
// transactional table the same refusal leaves nothing, and the run wrote nothing. Which
// tables keep rows without transactions is asked only after that refusal, and the answers
// that came after it wait for it: one session still reports in the list's order.
TEST_F(CliWithServer, ARefusalAfterSomeRowsOnATableWithoutTransactionsIsNeverNothingWritten)
{
    struct Case {
        const char* what;
        testing_support::Engine engine;
        const char* outcome;
        std::size_t rowsLeft;
        int status;
    };
    const Case cases[] = {
        {"MyISAM", testing_support::Engine::MyISAM, "possibly-partly-written", 6, 0},
        {"InnoDB", testing_support::Engine::InnoDB, "skipped", 0, 3},
    };
    struct Run {
        Arguments options;
        // Tenants updated before and after it in the list; with them the run wrote something.
        bool neighbours;
    };
    const Run runs[] = {{{}, false}, {{}, true}, {{"--batch", "1"}, true}, {{"--sessions", "4", "--batch", "2"}, true}};
    for (const Case& c : cases) {
        for (const auto& [options, neighbours] : runs) {
            SCOPED_TRACE(std::string(c.what) + " " + ::testing::PrintToString(options) + (neighbours ? " with neighbours" : ""));
            dropTenantDatabases(admin);
            createTenant(admin, "cervenec",
                         testing_support::CalendarShape{.table = CalendarTable::WithoutKey, .engine = c.engine, .refusesJuly = true});
            const std::vector<std::string> others = neighbours ? std::vector<std::string>{"a_pred", "zari"} : std::vector<std::string>{};
            for (const std::string& name : others)
                createTenant(admin, name, testing_support::CalendarShape{.table = CalendarTable::WithoutKey, .engine = c.engine});
            Arguments arguments = {"--host", "127.0.0.1", "--format", "json"};
            arguments.insert(arguments.end(), options.begin(), options.end());

            const CliResult result = runCli(arguments);

            EXPECT_EQ(result.exitStatus, neighbours ? 0 : c.status);
            const std::string line = R"({"type":"database","server":"127.0.0.1","database":")";
            EXPECT_EQ(countStartingWith(result.out, line + "cervenec\",\"outcome\":\"" + c.outcome + R"(","error":{"number":1644,)"), 1u)
                << ::testing::PrintToString(result.out);
            EXPECT_EQ(calendarRows(admin, "cervenec").size(), c.rowsLeft);
            for (const std::string& name : others) {
                EXPECT_EQ(countStartingWith(result.out, line + name + R"(","outcome":"updated")"), 1u) << name;
                EXPECT_EQ(calendarRows(admin, name).size(), 12u) << name;
            }
            if (options.empty() || options[0] == "--batch") {
                std::vector<std::string> reported;
                for (const std::string& name : databasesAsTheProgramSeesThem()) {
                    if (countStartingWith(result.out, line + name + "\"") == 1)
                        reported.push_back(name);
                }
                std::vector<std::string> inOrder;
                for (const std::string& out : result.out) {
                    if (out.starts_with(line))
                        inOrder.push_back(out.substr(line.size(), out.find('"', line.size()) - line.size()));
                }
                EXPECT_EQ(inOrder, reported) << "one session tells its databases in the list's order";
            }
        }
    }
}

// The session is lost as it asks which tables keep rows without transactions, after a
// refusal by a row: what it had read is still told, and that refusal, on a table it never
// learned about, counts as possibly partly written.
TEST_F(CliWithServer, ASessionLostAsItAsksAboutTablesWithoutTransactionsStillTellsWhatItRead)
{
    dropTenantDatabases(admin);
    createTenant(admin, "a_pred", CalendarTable::WithKey);
    createTenant(admin, "cervenec", testing_support::CalendarShape{.table = CalendarTable::WithoutKey, .refusesJuly = true});
    CuttingProxy relay(kRelayAddress, "information_schema.TABLES");

    const CliResult result = runCli({"--host", kRelayAddress, "--format", "json"});

    EXPECT_EQ(result.exitStatus, 2);
    const std::string line = std::string(R"({"type":"database","server":")") + kRelayAddress + R"(","database":")";
    EXPECT_EQ(countStartingWith(result.out, line + R"(a_pred","outcome":"updated")"), 1u) << ::testing::PrintToString(result.out);
    EXPECT_EQ(countStartingWith(result.out, line + R"(cervenec","outcome":"possibly-partly-written","error":{"number":1644,)"), 1u)
        << ::testing::PrintToString(result.out);
    EXPECT_EQ(calendarRows(admin, "a_pred").size(), 12u);
    EXPECT_EQ(countStartingWith(result.out, line), databasesAsTheProgramSeesThem().size())
        << "every statement was answered before the question";
}

// A read-only server is found by the probe that goes with the connect: not one statement
// is written to it, and it has a status of its own.
TEST_F(CliWithServer, AReadOnlyServerIsNeverWrittenAndEndsWithFive)
{
    dropTenantDatabases(admin);
    createTenant(admin, "t1", CalendarTable::WithKey);
    admin.exec("SET GLOBAL read_only = ON");
    GeneralLog log;

    const CliResult result = runCli({"--host", "127.0.0.1", "--format", "json"});
    admin.exec("SET GLOBAL read_only = OFF");

    EXPECT_EQ(result.exitStatus, 5);
    EXPECT_EQ(result.err, (std::vector<std::string>{
                              "calendar-import-cli: server 127.0.0.1 je jen pro čtení (read_only), nic se na něj "
                              "nezapisuje"}));
    ASSERT_EQ(result.out.size(), 2u) << "the server's summary and the total, no database";
    EXPECT_NE(result.out[0].find(R"("end":"read-only")"), std::string::npos) << result.out[0];
    EXPECT_TRUE(calendarRows(admin, "t1").empty());
    for (const std::string& query : log.queriesBy("quorvel"))
        EXPECT_FALSE(query.starts_with("INSERT")) << query;
}

TEST_F(CliWithServer, AStopSignalEndsAfterTheStatementInFlightWithTheSummary)
{
    std::vector<std::string> tenants;
    for (int i = 10; i < 40; ++i)
        tenants.push_back("t" + std::to_string(i));
    const std::filesystem::path dir = std::filesystem::path(CLI_TEST_DIR) / "signal";
    std::filesystem::create_directories(dir);
    // One statement at a time, and two: no statement leaves once the stop is seen, and
    // those under way have their answers and lines.
    const struct {
        int signal;
        int status;
        const char* batch;
    } cases[] = {{SIGTERM, 143, "1"}, {SIGINT, 130, "2"}};
    for (const auto& [signal, status, batch] : cases) {
        SCOPED_TRACE(status);
        dropTenantDatabases(admin);
        for (const std::string& name : tenants)
            createTenant(admin, name, CalendarTable::WithKey);
        // Each round trip slowed down, so that the signal comes in the middle of the list.
        DelayRelay slow(kRelayAddress, "127.0.0.1", std::chrono::milliseconds(20));
        ASSERT_TRUE(slow.listening());
        RunningCli cli({"--host", kRelayAddress, "--format", "json", "--batch", batch}, dir / "out", dir / "err");
        ASSERT_TRUE(cli.waitForLine(dir / "err", "t12: aktualizována"));
        cli.signal(signal);
        EXPECT_EQ(cli.wait(), status);

        // The person's report: a line for each database done, then the notice and the summary.
        const std::vector<std::string> err = linesOfFile(dir / "err");
        ASSERT_GE(err.size(), 2u);
        const std::vector<std::string> visited(err.begin(), err.end() - 2);
        std::size_t written = 0;
        for (const std::string& name : tenants) {
            const bool hasRows = !calendarRows(admin, name).empty();
            written += hasRows ? 1 : 0;
            SCOPED_TRACE(name);
            EXPECT_EQ(contains(visited, name + ": aktualizována"), hasRows) << "each database done has its line";
        }
        EXPECT_LT(written, tenants.size()) << "the run stopped before the list's end";
        const std::size_t total = listed();
        const std::size_t skipped = visited.size() - written;
        EXPECT_EQ(err[err.size() - 2], std::string("calendar-import-cli: běh přerušen signálem, zbylé databáze serveru ") +
                                           kRelayAddress + " nezpracovány");
        EXPECT_EQ(err.back(), summary({.listed = total, .updated = written, .skipped = skipped,
                                       .notReached = total - visited.size()}));

        // The machine's report says the same status as the program, for the server and in total.
        const std::vector<std::string> out = linesOfFile(dir / "out");
        ASSERT_GE(out.size(), 2u);
        const std::string exitStatus = R"("exitStatus":)" + std::to_string(status) + "}";
        EXPECT_TRUE(out[out.size() - 2].starts_with(R"({"type":"summary",)")) << out[out.size() - 2];
        EXPECT_NE(out[out.size() - 2].find(R"("end":"interrupted")"), std::string::npos) << out[out.size() - 2];
        EXPECT_TRUE(out[out.size() - 2].ends_with(exitStatus)) << out[out.size() - 2];
        EXPECT_TRUE(out.back().ends_with(exitStatus)) << out.back();
    }
}

}  // namespace
