// The console program over a primary and its replica: the replica is never written, the
// primary once, and the replica's rows arrive by replication, which goes on running.
#include "tests/cli/CliProgram.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using cli_testing::CliResult;
using cli_testing::linesWith;
using cli_testing::runCli;
using testing_support::AdminSession;
using testing_support::CalendarTable;
using topology::Fleet;
using topology::FleetServer;
using topology::rowCount;

class FleetRunReplication : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::replication(); }
};

TEST_F(FleetRunReplication, TheReplicaIsNeverWrittenAndItsRowsComeFromThePrimary)
{
    const FleetServer& primary = fleet().server("primary");
    const FleetServer& replica = fleet().server("replica");
    struct Case {
        const char* what;
        std::function<void(AdminSession& replicaRoot)> prepare;
        const char* end;           // the replica's, in JSON
        const char* textEnd;       // its line
        bool replicates;           // the replica takes the primary's rows
    };
    const Case cases[] = {
        {"a running replica", [](AdminSession&) {}, "replica", "je replika (replikace běží)", true},
        {"a running replica that is read-only", [](AdminSession& root) { root.exec("SET GLOBAL read_only = ON"); },
         "replica", "je replika (replikace běží)", true},
        {"a stopped replica that is read-only",
         [](AdminSession& root) {
             root.exec("STOP SLAVE");
             root.exec("SET GLOBAL read_only = ON");
         },
         "read-only", "je jen pro čtení (read_only)", false},
    };
    const std::vector<std::string> tenants = {"s_klicem", "bez_klice"};
    for (const Case& c : cases) {
        for (const char* parallel : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.what) + ", --parallel " + parallel);
            fleet().restore();
            AdminSession primaryRoot(primary.socket);
            AdminSession replicaRoot(replica.socket);
            testing_support::createTenant(primaryRoot, "s_klicem", CalendarTable::WithKey);
            testing_support::createTenant(primaryRoot, "bez_klice", CalendarTable::WithoutKey);
            ASSERT_TRUE(topology::replicaCaughtUp(primaryRoot, replicaRoot));
            c.prepare(replicaRoot);

            // The replica first: it is reached first with --parallel 1.
            const CliResult json = runCli({"--host", replica.address, "--host", primary.address, "--parallel",
                                           parallel, "--format", "json"});

            EXPECT_EQ(json.exitStatus, 5);
            EXPECT_EQ(linesWith(json.out, R"("server":")" + replica.address + R"(","end":")" + c.end + R"(")"), 1u)
                << ::testing::PrintToString(json.out);
            EXPECT_EQ(linesWith(json.out, R"("type":"database","server":")" + replica.address), 0u);
            for (const std::string& name : tenants)
                EXPECT_EQ(rowCount(primaryRoot, name), 12u) << name;
            if (c.replicates) {
                ASSERT_TRUE(topology::replicaCaughtUp(primaryRoot, replicaRoot));
                EXPECT_TRUE(topology::replicaState(replicaRoot).running()) << "replication goes on";
                for (const std::string& name : tenants)
                    EXPECT_EQ(rowCount(replicaRoot, name), 12u) << name << ": by replication, once";
            } else {
                for (const std::string& name : tenants)
                    EXPECT_EQ(rowCount(replicaRoot, name), 0u) << name;
            }
        }
    }
    // The human report says what the replica is.
    fleet().restore();
    const CliResult text = runCli({"--host", replica.address});
    EXPECT_EQ(text.exitStatus, 5);
    EXPECT_EQ(text.err, (std::vector<std::string>{"calendar-import-cli: server " + replica.address +
                                                  " je replika (replikace běží), nic se na něj nezapisuje"}));
}

}  // namespace
