// The console program over clones of one image: servers alike in every answer but their
// address are each updated once, a balancer's address counts as the server it reached, and
// two runs at once never both write one server.
#include "tests/cli/CliProgram.h"
#include "tests/support/AccountSession.h"
#include "tests/support/RoundRobinRelay.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <string>
#include <vector>

namespace {

using cli_testing::CliResult;
using cli_testing::countStartingWith;
using cli_testing::linesWith;
using cli_testing::runCli;
using testing_support::AccountSession;
using testing_support::AdminSession;
using testing_support::CalendarTable;
using topology::Fleet;
using topology::FleetServer;
using topology::rowCount;

constexpr char kBalancer[] = "127.0.0.20";

std::vector<std::string> tenantNames(std::size_t count)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i)
        names.push_back("klon_" + std::to_string(i));
    return names;
}

class FleetRunClones : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::clones(); }
    static const FleetServer& clone(std::size_t i) { return fleet().servers().at(i); }

    // The same keyless tenants on every clone: a second write anywhere shows as 24 rows.
    void createEverywhere(const std::vector<std::string>& tenants) const
    {
        for (const FleetServer& server : fleet().servers()) {
            AdminSession root(server.socket);
            for (const std::string& name : tenants)
                testing_support::createTenant(root, name, CalendarTable::WithoutKey);
        }
    }

    // Rows of each tenant on each clone, by clone name.
    std::map<std::string, std::vector<std::size_t>> rowsEverywhere(const std::vector<std::string>& tenants) const
    {
        std::map<std::string, std::vector<std::size_t>> rows;
        for (const FleetServer& server : fleet().servers()) {
            AdminSession root(server.socket);
            for (const std::string& name : tenants)
                rows[server.name].push_back(rowCount(root, name));
        }
        return rows;
    }
};

// Every clone answers the same host name, port and data folder; each is still a server of
// its own and gets its rows, once, however many of the command's addresses lead to it and
// however many servers are worked on at once.
TEST_F(FleetRunClones, EveryCloneIsUpdatedOnceWhateverItsAddressesAndTheParallelRuns)
{
    ASSERT_EQ(fleet().servers().size(), 3u);
    const std::filesystem::path hostsFile =
        std::filesystem::temp_directory_path() / "fleet-run-clones-hosts.txt";
    {
        std::ofstream file(hostsFile);
        file << clone(0).address << "\n" << clone(1).address << "\n" << clone(2).address << "\n" << kBalancer << "\n";
    }
    struct Topology {
        const char* what;
        std::vector<std::string> arguments;
        std::map<std::string, std::size_t> rowsPerTenant;  // by clone
        std::size_t sameServer;                            // addresses reported as a server reached already
    };
    const Topology topologies[] = {
        {"two clones", {"--host", clone(0).address, "--host", clone(1).address}, {{"clone1", 12}, {"clone2", 12}, {"clone3", 0}}, 0},
        {"three clones and a balancer over two of them, from a hosts file",
         {"--hosts-file", hostsFile.string()},
         {{"clone1", 12}, {"clone2", 12}, {"clone3", 12}},
         1},
        {"a balancer beside the clone its first connection reaches",
         {"--host", kBalancer, "--host", clone(0).address},
         {{"clone1", 12}, {"clone2", 0}, {"clone3", 0}},
         1},
    };
    const std::vector<std::string> tenants = tenantNames(5);
    for (const Topology& topology : topologies) {
        for (const char* parallel : {"1", "4"}) {
            SCOPED_TRACE(std::string(topology.what) + ", --parallel " + parallel);
            fleet().restore();
            createEverywhere(tenants);
            // Fresh for each run: its first connection goes to clone1.
            testing_support::RoundRobinRelay balancer(kBalancer, {clone(0).address, clone(1).address});
            ASSERT_TRUE(balancer.listening());
            std::vector<std::string> arguments = topology.arguments;
            arguments.insert(arguments.end(), {"--parallel", parallel, "--format", "json"});

            const CliResult result = runCli(arguments);

            EXPECT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.err);
            const std::map<std::string, std::vector<std::size_t>> rows = rowsEverywhere(tenants);
            for (const auto& [name, expected] : topology.rowsPerTenant) {
                SCOPED_TRACE(name);
                EXPECT_EQ(rows.at(name), std::vector<std::size_t>(tenants.size(), expected));
            }
            EXPECT_EQ(linesWith(result.out, R"("end":"same-server")"), topology.sameServer);
        }
    }
    std::filesystem::remove(hostsFile);
}

// Behind a round-robin balancer every other session reaches the other clone: only those
// that reached the first session's server take names, so no tenant is reported updated
// whose rows went elsewhere.
TEST_F(FleetRunClones, SessionsThroughABalancerWriteOnlyTheServerTheFirstReached)
{
    testing_support::RoundRobinRelay balancer(kBalancer, {clone(0).address, clone(1).address});
    ASSERT_TRUE(balancer.listening());
    // Enough names, each waiting for its answer, that the further sessions log in while
    // names are left.
    const std::vector<std::string> tenants = tenantNames(200);
    createEverywhere(tenants);

    const CliResult result = runCli({"--host", kBalancer, "--sessions", "8", "--batch", "1"});

    EXPECT_EQ(result.exitStatus, 0) << ::testing::PrintToString(result.err);
    const std::map<std::string, std::vector<std::size_t>> rows = rowsEverywhere(tenants);
    const std::string& first = balancer.connectionsSentTo().at(0) == clone(0).address ? "clone1" : "clone2";
    const std::string& other = first == "clone1" ? "clone2" : "clone1";
    EXPECT_EQ(rows.at(first), std::vector<std::size_t>(tenants.size(), 12));
    EXPECT_EQ(rows.at(other), std::vector<std::size_t>(tenants.size(), 0));
    for (const std::string& name : tenants)
        EXPECT_EQ(countStartingWith(result.out, name + ": aktualizována"), 1u) << name;
}

// A session that is not this command's holds the run lock, as a run of the console
// program or of the window does: the server is left to it, with the holder named.
TEST_F(FleetRunClones, AServerAnotherRunHoldsIsLeftToItWithStatusFour)
{
    const std::vector<std::string> tenants = tenantNames(3);
    createEverywhere(tenants);
    AccountSession otherRun(clone(0).address);
    ASSERT_EQ(otherRun.query("SELECT GET_LOCK('calendar-import', 0)").rows.at(0).at(0), "1");
    const std::string holder = otherRun.query("SELECT CONNECTION_ID()").rows.at(0).at(0);

    const CliResult text = runCli({"--host", clone(0).address, "--host", clone(1).address});
    const CliResult json = runCli({"--host", clone(0).address, "--format", "json"});

    EXPECT_EQ(text.exitStatus, 4);
    EXPECT_EQ(countStartingWith(text.err, "calendar-import-cli: server " + clone(0).address +
                                              " právě aktualizuje jiný běh programu (jeho spojení " + holder + ")"),
              1u)
        << ::testing::PrintToString(text.err);
    EXPECT_EQ(json.exitStatus, 4);
    EXPECT_EQ(linesWith(json.out, R"("end":"another-run")"), 1u);
    EXPECT_EQ(linesWith(json.out, R"("otherRunConnection":)" + holder), 1u);
    const std::map<std::string, std::vector<std::size_t>> rows = rowsEverywhere(tenants);
    EXPECT_EQ(rows.at("clone1"), std::vector<std::size_t>(tenants.size(), 0));
    EXPECT_EQ(rows.at("clone2"), std::vector<std::size_t>(tenants.size(), 12)) << "the other server is still updated";
}

// Two runs started together on the same clones: each keyless tenant gets its 12 rows once;
// the run that came second says another run has the server.
TEST_F(FleetRunClones, TwoRunsAtOnceNeverBothWriteAServer)
{
    const std::vector<std::string> tenants = tenantNames(150);
    createEverywhere(tenants);
    const std::vector<std::string> arguments = {"--host", clone(0).address, "--host", clone(1).address,
                                                "--batch", "1", "--format", "json"};

    auto first = std::async(std::launch::async, [&] { return runCli(arguments); });
    auto second = std::async(std::launch::async, [&] { return runCli(arguments); });
    const CliResult a = first.get();
    const CliResult b = second.get();

    const std::map<std::string, std::vector<std::size_t>> rows = rowsEverywhere(tenants);
    EXPECT_EQ(rows.at("clone1"), std::vector<std::size_t>(tenants.size(), 12)) << "never 24";
    EXPECT_EQ(rows.at("clone2"), std::vector<std::size_t>(tenants.size(), 12)) << "never 24";
    EXPECT_EQ(linesWith(a.out, R"("end":"another-run")") + linesWith(b.out, R"("end":"another-run")"), 2u)
        << "each server once left to the other run";
    EXPECT_TRUE(a.exitStatus == 4 || b.exitStatus == 4) << a.exitStatus << " " << b.exitStatus;
}

}  // namespace
