// The console program over a Galera cluster: the nodes that tell one cluster are one
// target, written through one node; a node that takes no writes is never written.
#include "tests/cli/CliProgram.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using cli_testing::CliResult;
using cli_testing::runCli;
using testing_support::AdminSession;
using testing_support::CalendarTable;
using topology::Fleet;
using topology::FleetServer;

std::size_t rowCount(AdminSession& root, const std::string& tenant)
{
    return std::stoul(root.scalar("SELECT COUNT(*) FROM `" + tenant + "`.`calendar`"));
}

std::size_t linesWith(const std::vector<std::string>& lines, const std::string& part)
{
    std::size_t count = 0;
    for (const std::string& line : lines)
        count += line.find(part) != std::string::npos ? 1 : 0;
    return count;
}

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
        for (const FleetServer& server : fleet().servers()) {
            AdminSession other(server.socket);
            ASSERT_TRUE(topology::eventually([&] { return other.rows("SHOW DATABASES LIKE 'bez_klice'").size() == 1; }));
        }
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

}  // namespace
