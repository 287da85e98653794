// Several servers in one command: each updated in its own session and reported on its
// own lines, the exit status the worst of all, and a server that dies mid-run changing
// nothing on the others. Two throwaway servers of the test's own, on their own addresses.
#include "tests/cli/CliSupport.h"
#include "tests/support/AdminSession.h"
#include "tests/support/DelayRelay.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace cli_testing;
using testing_support::AdminSession;
using testing_support::CalendarTable;
using testing_support::calendarRows;
using testing_support::createTenant;
using testing_support::dropTenantDatabases;
using testing_support::DelayRelay;

constexpr char kServerA[] = "127.0.0.4";
constexpr char kServerB[] = "127.0.0.5";
// A slow road to server B, so that it can be killed while the program works on it.
constexpr char kSlowRoadToB[] = "127.0.0.6";
constexpr char kNobodyThere[] = "127.0.0.7";

std::vector<std::string> tenantNames(const char* prefix, int count)
{
    std::vector<std::string> names;
    for (int i = 10; i < 10 + count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

class CliFleet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::filesystem::path dir = std::filesystem::path(CLI_TEST_DIR) / "fleet";
        serverA = new ExtraServer(kServerA, dir / "a");
        serverB = new ExtraServer(kServerB, dir / "b");
    }
    static void TearDownTestSuite()
    {
        delete serverA;
        delete serverB;
    }

    void SetUp() override
    {
        ASSERT_TRUE(serverA->started());
        ASSERT_TRUE(serverB->started());
    }

    // A server's report lines, without the prefix that names it.
    static std::vector<std::string> linesOf(const std::vector<std::string>& lines, const std::string& server)
    {
        const std::string prefix = "[" + server + "] ";
        std::vector<std::string> result;
        for (const std::string& line : lines) {
            if (line.starts_with(prefix))
                result.push_back(line.substr(prefix.size()));
        }
        return result;
    }

    static ExtraServer* serverA;
    static ExtraServer* serverB;
};

ExtraServer* CliFleet::serverA = nullptr;
ExtraServer* CliFleet::serverB = nullptr;

TEST_F(CliFleet, EachServerIsUpdatedAndReportedOnItsOwnAndTheWorstStatusWins)
{
    const std::vector<std::string> tenantsA = tenantNames("a", 5);
    const std::vector<std::string> tenantsB = tenantNames("b", 7);
    serverA->createTenants(tenantsA);
    serverB->createTenants(tenantsB);
    const std::filesystem::path hostsFile = std::filesystem::path(CLI_TEST_DIR) / "fleet" / "hosts";
    std::ofstream(hostsFile) << "# the two branch offices\n" << kServerB << "   # second\n\n" << kServerA << "\n";

    // Given twice (on the command line and in the file), a server is still updated once.
    const CliResult result = runCli({"--host", kServerA, "--hosts-file", hostsFile.string(), "--parallel", "2"});

    EXPECT_EQ(result.exitStatus, 0);
    for (const auto& [server, tenants] : {std::pair{kServerA, tenantsA}, std::pair{kServerB, tenantsB}}) {
        SCOPED_TRACE(server);
        const std::vector<std::string> out = linesOf(result.out, server);
        for (const std::string& name : tenants) {
            EXPECT_TRUE(contains(out, name + ": aktualizována")) << name;
            EXPECT_EQ((server == kServerA ? serverA : serverB)->calendarRowCount(name), 12u);
        }
        const std::vector<std::string> err = linesOf(result.err, server);
        const std::size_t total = out.size();
        EXPECT_EQ(err, (std::vector<std::string>{"Aktualizace dokončena",
                                                 summary({.listed = total, .updated = tenants.size(),
                                                          .skipped = total - tenants.size()})}));
    }
    EXPECT_EQ(result.out.size(), linesOf(result.out, kServerA).size() + linesOf(result.out, kServerB).size())
        << "every line names its server";
    EXPECT_TRUE(result.err.back().starts_with("Všechny servery (2, nepřipojeno: 0): celkem databází: ")) << result.err.back();

    // A server that cannot be reached makes the status 1 and leaves the other's work as it was.
    const CliResult again = runCli({"--host", kNobodyThere, "--host", kServerA});
    EXPECT_EQ(again.exitStatus, 1);
    EXPECT_TRUE(contains(again.err, "[" + std::string(kServerA) + "] Aktualizace dokončena"));
    EXPECT_EQ(countStartingWith(again.err, std::string("calendar-import-cli: nepodařilo se připojit k serveru ") +
                                               kNobodyThere + ": "),
              1u);
    serverA->sql("DROP DATABASE a10; DROP DATABASE a11; DROP DATABASE a12; DROP DATABASE a13; DROP DATABASE a14");
    serverB->sql("DROP DATABASE b10; DROP DATABASE b11; DROP DATABASE b12; DROP DATABASE b13; DROP DATABASE b14;"
                 "DROP DATABASE b15; DROP DATABASE b16");
}

TEST_F(CliFleet, AServerKilledMidRunChangesNothingOnTheOther)
{
    const std::vector<std::string> tenantsA = tenantNames("a", 30);
    const std::vector<std::string> tenantsB = tenantNames("b", 30);
    serverA->createTenants(tenantsA);
    serverB->createTenants(tenantsB);
    DelayRelay slowB(kSlowRoadToB, kServerB, std::chrono::milliseconds(10));
    ASSERT_TRUE(slowB.listening());
    const std::filesystem::path dir = std::filesystem::path(CLI_TEST_DIR) / "fleet";

    // One statement at a time on the slow road: B's run is still under way when it dies.
    RunningCli cli({"--host", kSlowRoadToB, "--host", kServerA, "--format", "json", "--batch", "1"}, dir / "out",
                   dir / "err");
    ASSERT_TRUE(cli.waitForLine(dir / "err", std::string("[") + kSlowRoadToB + "] b12: aktualizována"));
    serverB->kill();
    EXPECT_EQ(cli.wait(), 2) << "a broken run outweighs the other server's success";

    const std::vector<std::string> err = linesOfFile(dir / "err");
    const std::vector<std::string> linesA = linesOf(err, kServerA);
    for (const std::string& name : tenantsA) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(contains(linesA, name + ": aktualizována"));
        EXPECT_EQ(serverA->calendarRowCount(name), 12u);
    }
    EXPECT_TRUE(contains(linesA, "Aktualizace dokončena"));
    const std::vector<std::string> linesB = linesOf(err, kSlowRoadToB);
    EXPECT_EQ(countStartingWith(linesB, "b"), countStartingWith(linesB, "b1") + countStartingWith(linesB, "b2") +
                                                  countStartingWith(linesB, "b3"));
    EXPECT_TRUE(contains(linesB, "b12: aktualizována"));
    EXPECT_EQ(countStartingWith(err, std::string("calendar-import-cli: spojení se serverem ") + kSlowRoadToB +
                                         " se přerušilo: "),
              1u);

    // The JSON report: a summary for each server and the total with the worst status.
    const std::vector<std::string> out = linesOfFile(dir / "out");
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(countStartingWith(out, std::string(R"({"type":"summary","server":")") + kServerA +
                                         R"(","end":"completed")"),
              1u);
    EXPECT_EQ(countStartingWith(out, std::string(R"({"type":"summary","server":")") + kSlowRoadToB +
                                         R"(","end":"session-lost")"),
              1u);
    EXPECT_TRUE(out.back().starts_with(R"({"type":"total","servers":2,"notConnected":0,)")) << out.back();
    EXPECT_TRUE(out.back().ends_with(R"("exitStatus":2})")) << out.back();
}

TEST_F(CliFleet, FurtherSessionsThatReachAnotherServerTakeNoName)
{
    // Two servers with the same tenants behind one address that sends each new session
    // to the next of them, as a round-robin balancer does.
    const std::vector<std::string> tenants = tenantNames("t", 20);
    serverA->createTenants(tenants);
    serverB->createTenants(tenants);
    const std::string balancer = kSlowRoadToB;
    // A slow road and one statement at a time, so that the first session is still at work
    // when the others have logged in: each of them then has to show where it arrived.
    DelayRelay roundRobin(balancer, std::string(kServerA) + "," + kServerB, std::chrono::milliseconds(10));
    ASSERT_TRUE(roundRobin.listening());

    const CliResult result = runCli({"--host", balancer, "--sessions", "4", "--batch", "1", "--format", "json"});

    EXPECT_EQ(result.exitStatus, 0);
    for (const std::string& name : tenants) {
        SCOPED_TRACE(name);
        EXPECT_EQ(countStartingWith(result.err, name + ": aktualizována"), 1u);
        EXPECT_EQ(serverA->calendarRowCount(name), 12u) << "the server that listed it";
        EXPECT_EQ(serverB->calendarRowCount(name), 0u);
    }
    // The second and fourth sessions reached the other server: closed and reported.
    EXPECT_EQ(countStartingWith(result.err, "calendar-import-cli: další spojení k serveru " + balancer +
                                                " se nepodařilo otevřít: spojení vedlo k jinému serveru ("),
              2u);
    EXPECT_EQ(countStartingWith(result.out, R"({"type":"session","server":")" + balancer +
                                                R"(","outcome":"not-opened","error":{"text":"spojení vedlo k jinému serveru ()"),
              2u);
    std::string drop;
    for (const std::string& name : tenants)
        drop += "DROP DATABASE " + name + ";";
    serverA->sql(drop);
    serverB->sql(drop);
}

// The suite's own server under five addresses, each a text of its own.
TEST(CliOneServer, ReachedUnderSeveralAddressesItIsUpdatedOnce)
{
    AdminSession admin;
    dropTenantDatabases(admin);
    // Without a key, every statement that ran twice would leave its rows twice.
    const std::vector<std::string> tenants = {"bez_klice_1", "bez_klice_2", "bez_klice_3"};
    for (const std::string& name : tenants)
        createTenant(admin, name, CalendarTable::WithoutKey);
    const std::vector<std::string> addresses = {"127.0.0.1", "localhost", "127.1", "127.000.000.001", "::1"};
    Arguments arguments = {"--format", "json"};
    for (const std::string& address : addresses) {
        arguments.push_back("--host");
        arguments.push_back(address);
    }

    const CliResult result = runCli(arguments);

    EXPECT_EQ(result.exitStatus, 0);
    for (const std::string& name : tenants) {
        SCOPED_TRACE(name);
        EXPECT_EQ(calendarRows(admin, name).size(), 12u);
        std::size_t updated = 0;
        for (const std::string& line : result.out)
            updated += line.find(R"(","database":")" + name + R"(","outcome":"updated"})") != std::string::npos;
        EXPECT_EQ(updated, 1u);
    }
    std::size_t completed = 0;
    std::size_t same = 0;
    for (const std::string& line : result.out) {
        completed += line.find(R"("end":"completed")") != std::string::npos;
        same += line.find(R"("end":"same-server")") != std::string::npos &&
                line.find(R"("sameServerAs":")") != std::string::npos;
    }
    EXPECT_EQ(completed, 1u);
    EXPECT_EQ(same, addresses.size() - 1);
    std::size_t sameLines = 0;
    for (const std::string& line : result.err) {
        sameLines += line.starts_with("calendar-import-cli: server ") &&
                     line.find(" je tentýž server jako ") != std::string::npos &&
                     line.ends_with(", podruhé se neaktualizuje");
    }
    EXPECT_EQ(sameLines, addresses.size() - 1);
    ASSERT_FALSE(result.out.empty());
    EXPECT_TRUE(result.out.back().starts_with(R"({"type":"total","servers":5,"notConnected":4,)")) << result.out.back();
    dropTenantDatabases(admin);
}

}  // namespace
