// The console program over a Galera cluster: the nodes that tell one cluster are one
// target, written through one node; a node that takes no writes is never written.
#include "tests/cli/CliProgram.h"
#include "tests/support/DelayRelay.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace {

using cli_testing::CliResult;
using cli_testing::linesWith;
using cli_testing::runCli;
using testing_support::AdminSession;
using testing_support::CalendarTable;
using testing_support::DelayRelay;
using topology::Fleet;
using topology::FleetServer;
using topology::rowCount;

class FleetRunGalera : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::galera(); }
    static const FleetServer& node(std::size_t i) { return fleet().servers().at(i); }

    // The keyless tenant on every node, created through the first (it replicates).
    static void createTenant()
    {
        AdminSession root(node(0).socket);
        testing_support::createTenant(root, "bez_klice", CalendarTable::WithoutKey);
        ASSERT_TRUE(topology::grantedOnEveryNode(fleet(), "bez_klice"));
    }

    // Each node's rows once the cluster has applied everything.
    static void expectRowsOnEveryNode(std::size_t rows)
    {
        for (const FleetServer& server : fleet().servers()) {
            SCOPED_TRACE(server.name);
            AdminSession root(server.socket);
            root.exec("SET SESSION wsrep_sync_wait = 1");
            EXPECT_EQ(rowCount(root, "bez_klice"), rows);
        }
    }
};

TEST_F(FleetRunGalera, EveryNodeNamedMakesOneUpdateOfTheCluster)
{
    ASSERT_EQ(fleet().servers().size(), 3u);
    for (const char* parallel : {"1", "3"}) {
        SCOPED_TRACE(std::string("--parallel ") + parallel);
        fleet().restore();
        createTenant();

        const CliResult result = runCli({"--host", node(0).address, "--host", node(1).address, "--host",
                                         node(2).address, "--parallel", parallel, "--format", "json"});

        EXPECT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.out);
        EXPECT_EQ(linesWith(result.out, R"("end":"completed")"), 1u);
        EXPECT_EQ(linesWith(result.out, R"("end":"same-cluster")"), 2u);
        EXPECT_EQ(linesWith(result.out, R"("sameClusterAs":")"), 2u);
        expectRowsOnEveryNode(12);
    }
}

TEST_F(FleetRunGalera, ANodeCutOffIsNotWrittenAndTheClusterIsUpdatedThroughAnother)
{
    createTenant();
    topology::isolate(node(2));

    const CliResult result = runCli({"--host", node(2).address, "--host", node(0).address, "--parallel", "1",
                                     "--format", "json"});

    EXPECT_EQ(result.exitStatus, 5) << ::testing::PrintToString(result.out);
    EXPECT_EQ(linesWith(result.out, R"("server":")" + node(2).address + R"(","end":"node-not-writable")"), 1u)
        << ::testing::PrintToString(result.out);
    EXPECT_EQ(linesWith(result.out, R"("server":")" + node(0).address + R"(","end":"completed")"), 1u);
    AdminSession first(node(0).socket);
    EXPECT_EQ(rowCount(first, "bez_klice"), 12u);
}

// The node in use is lost part-way (a relay in front of it cuts the session at one tenant's
// statement): the tenants not yet sent go on through another listed node of the cluster,
// the ones under way stay unknown and are never sent twice, and the report names the node
// that took over.
TEST_F(FleetRunGalera, ALostNodeLeavesTheNamesNotYetSentToAnotherNodeOfTheCluster)
{
    constexpr char kRelay[] = "127.0.0.30";
    constexpr std::size_t kTenants = 30;
    std::vector<std::string> tenants;
    {
        AdminSession root(node(0).socket);
        for (std::size_t i = 0; i < kTenants; ++i) {
            tenants.push_back("uzel_" + std::to_string(100 + i));
            testing_support::createTenant(root, tenants.back(), CalendarTable::WithoutKey);
        }
        ASSERT_TRUE(topology::grantedOnEveryNode(fleet(), tenants.back()));
    }
    for (const char* batch : {"1", "4"}) {
        SCOPED_TRACE(std::string("--batch ") + batch);
        {
            AdminSession root(node(0).socket);
            for (const std::string& tenant : tenants)
                root.exec("DELETE FROM `" + tenant + "`.`calendar`");
        }
        DelayRelay relay(kRelay, node(0).address, std::chrono::milliseconds(5), "INSERT INTO `uzel_115`", 3306, true);
        ASSERT_TRUE(relay.listening());

        const CliResult result = runCli({"--host", kRelay, "--host", node(1).address, "--parallel", "1", "--batch",
                                         batch, "--format", "json"});

        EXPECT_EQ(result.exitStatus, 2) << ::testing::PrintToString(result.out);
        EXPECT_EQ(linesWith(result.out, R"("server":")" + std::string(kRelay) + R"(","end":"session-lost")"), 1u)
            << ::testing::PrintToString(result.out);
        EXPECT_EQ(linesWith(result.out, R"("takenOverBy":")" + node(1).address + R"(")"), 1u)
            << ::testing::PrintToString(result.out);
        EXPECT_EQ(linesWith(result.out, R"("server":")" + node(1).address + R"(","end":"same-cluster")"), 1u)
            << ::testing::PrintToString(result.out);
        std::vector<std::string> unknown;
        for (const std::string& tenant : tenants) {
            if (linesWith(result.out, R"("database":")" + tenant + R"(","outcome":"unknown")") == 1)
                unknown.push_back(tenant);
        }
        EXPECT_FALSE(unknown.empty());
        EXPECT_EQ(linesWith(result.out, R"("outcome":"not-reached")"), 0u);
        AdminSession root(node(1).socket);
        root.exec("SET SESSION wsrep_sync_wait = 1");
        for (const std::string& tenant : tenants) {
            SCOPED_TRACE(tenant);
            const std::size_t rows = rowCount(root, tenant);
            const bool inDoubt = std::find(unknown.begin(), unknown.end(), tenant) != unknown.end();
            if (inDoubt)
                EXPECT_TRUE(rows == 0 || rows == 12) << rows;
            else
                EXPECT_EQ(rows, 12u);
        }
    }
}

// Two runs started together, each through another node of one cluster: a named lock belongs
// to one node, yet only one run writes; the other ends as another run. Relays in front of
// the nodes make each run slow enough that they overlap.
TEST_F(FleetRunGalera, TwoRunsThroughTwoNodesOfOneClusterNeverBothWrite)
{
    constexpr std::size_t kTenants = 20;
    std::vector<std::string> tenants;
    {
        AdminSession root(node(0).socket);
        for (std::size_t i = 0; i < kTenants; ++i) {
            tenants.push_back("soubeh_" + std::to_string(100 + i));
            testing_support::createTenant(root, tenants.back(), CalendarTable::WithoutKey);
        }
        ASSERT_TRUE(topology::grantedOnEveryNode(fleet(), tenants.back()));
    }
    const std::vector<std::pair<std::string, std::string>> relays = {{"127.0.0.34", node(0).address},
                                                                     {"127.0.0.35", node(1).address}};
    for (const bool secondFirst : {false, true}) {
        SCOPED_TRACE(secondFirst ? "the run through node2 starts first" : "the run through node1 starts first");
        {
            AdminSession root(node(0).socket);
            for (const std::string& tenant : tenants)
                root.exec("DELETE FROM `" + tenant + "`.`calendar`");
        }
        DelayRelay toFirst(relays[0].first, relays[0].second, std::chrono::milliseconds(20));
        DelayRelay toSecond(relays[1].first, relays[1].second, std::chrono::milliseconds(20));
        ASSERT_TRUE(toFirst.listening() && toSecond.listening());
        const auto run = [](const std::string& host) {
            return runCli({"--host", host, "--batch", "1", "--format", "json"});
        };
        const std::string& earlier = relays[secondFirst ? 1 : 0].first;
        const std::string& later = relays[secondFirst ? 0 : 1].first;
        std::future<CliResult> one = std::async(std::launch::async, run, earlier);
        std::future<CliResult> other = std::async(std::launch::async, run, later);
        const std::vector<CliResult> results = {one.get(), other.get()};

        std::vector<int> statuses;
        for (const CliResult& result : results)
            statuses.push_back(result.exitStatus);
        std::sort(statuses.begin(), statuses.end());
        EXPECT_EQ(statuses, (std::vector<int>{0, 4})) << ::testing::PrintToString(results[0].out)
                                                      << ::testing::PrintToString(results[1].out);
        for (const CliResult& result : results) {
            if (result.exitStatus == 4) {
                EXPECT_EQ(linesWith(result.out, R"("end":"another-run")"), 1u) << ::testing::PrintToString(result.out);
            }
        }
        AdminSession root(node(2).socket);
        root.exec("SET SESSION wsrep_sync_wait = 1");
        for (const std::string& tenant : tenants) {
            SCOPED_TRACE(tenant);
            EXPECT_EQ(rowCount(root, tenant), 12u);
        }
    }
}

}  // namespace
