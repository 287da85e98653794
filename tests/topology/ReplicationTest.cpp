// A primary with a replica: rows written on the primary arrive on the replica, what the
// program's account can tell of replication, and what writing the replica does to it.
#include "tests/support/AccountSession.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

namespace {

using testing_support::AccountSession;
using testing_support::AdminSession;
using testing_support::Answer;
using testing_support::CalendarTable;
using testing_support::Rows;
using topology::Fleet;
using topology::FleetServer;
using topology::rowCount;

// What the account reads of a server's replication without privileges.
Rows replicationSeenByTheAccount(const FleetServer& server)
{
    AccountSession account(server.address);
    Rows seen;
    for (const char* name : {"Slave_running", "Slaves_running"}) {
        const Rows row = account.query(std::string("SHOW STATUS LIKE '") + name + "'").rows;
        seen.push_back(row.empty() ? std::vector<std::string>{name, "(none)"} : row.front());
    }
    seen.push_back({"read_only", account.scalar("SELECT @@read_only")});
    seen.push_back({"gtid_slave_pos empty", account.scalar("SELECT @@gtid_slave_pos = ''")});
    return seen;
}

Rows seen(const char* slaveRunning, const char* slavesRunning, const char* readOnly, const char* gtidEmpty)
{
    return {{"Slave_running", slaveRunning},
            {"Slaves_running", slavesRunning},
            {"read_only", readOnly},
            {"gtid_slave_pos empty", gtidEmpty}};
}

class Replication : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::replication(); }
    static const FleetServer& primaryServer() { return fleet().server("primary"); }
    static const FleetServer& replicaServer() { return fleet().server("replica"); }
};

TEST_F(Replication, ARowOnThePrimaryArrivesOnTheReplicaWhichGoesOnReplicating)
{
    AdminSession primary(primaryServer().socket);
    AdminSession replica(replicaServer().socket);
    // The tenant and its grant, made on the primary, replicate too: the account may write
    // it on the replica as well (the replica is not read-only).
    testing_support::createTenant(primary, "t", CalendarTable::WithKey);
    AccountSession account(primaryServer().address);
    const Answer written = account.query(testing_support::expectedStatement("t"));
    ASSERT_TRUE(written.ok()) << written.text;

    ASSERT_TRUE(topology::replicaCaughtUp(primary, replica));
    EXPECT_EQ(rowCount(replica, "t"), 12u);
    EXPECT_EQ(testing_support::calendarRows(replica, "t"), testing_support::calendarRows(primary, "t"));
    const topology::ReplicaState state = topology::replicaState(replica);
    EXPECT_TRUE(state.running()) << state.lastSqlErrorText << state.lastIoErrorText;
    EXPECT_EQ(state.lastSqlError, 0u);
}

// A stopped replica looks like a primary in its status; only @@gtid_slave_pos, set once it
// has applied anything, tells them apart (and a primary that once was a replica has it too).
TEST_F(Replication, TheAccountReadsWhetherAServerReplicatesAndIsReadOnly)
{
    AdminSession replica(replicaServer().socket);
    struct Case {
        const char* name;
        std::vector<const char*> onReplica;  // root's statements on the replica
        Rows replicaSeen;
    };
    const std::vector<Case> cases = {
        {"running", {}, seen("ON", "1", "0", "0")},
        {"running, read-only", {"SET GLOBAL read_only = ON"}, seen("ON", "1", "1", "0")},
        {"stopped, read-only", {"STOP SLAVE"}, seen("OFF", "0", "1", "0")},
        {"stopped", {"SET GLOBAL read_only = OFF"}, seen("OFF", "0", "0", "0")},
        // With only the applier stopped the server still reads the primary's log, yet
        // reports no replication running at all.
        {"applier stopped", {"START SLAVE IO_THREAD"}, seen("OFF", "0", "0", "0")},
        {"reader stopped", {"START SLAVE SQL_THREAD", "STOP SLAVE IO_THREAD"}, seen("OFF", "1", "0", "0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* statement : c.onReplica)
            replica.exec(statement);
        EXPECT_EQ(replicationSeenByTheAccount(replicaServer()), c.replicaSeen);
        EXPECT_EQ(replicationSeenByTheAccount(primaryServer()), seen("OFF", "0", "0", "1"));
    }
    // The replica's own status is the administrator's alone.
    AccountSession account(replicaServer().address);
    EXPECT_EQ(account.query("SHOW SLAVE STATUS").error, 1227u);
}

// Writing the replica while it replicates: keyless rows come twice (the account's and the
// primary's); keyed rows make the replica's applier stop on the primary's insert (1062).
TEST_F(Replication, WritingTheReplicaDuplicatesKeylessRowsAndStopsReplicationOnKeyedOnes)
{
    AdminSession primary(primaryServer().socket);
    AdminSession replica(replicaServer().socket);
    testing_support::createTenant(primary, "keyless", CalendarTable::WithoutKey);
    testing_support::createTenant(primary, "keyed", CalendarTable::WithKey);
    ASSERT_TRUE(topology::replicaCaughtUp(primary, replica));

    AccountSession onReplica(replicaServer().address);
    AccountSession onPrimary(primaryServer().address);
    for (const char* tenant : {"keyless", "keyed"}) {
        const Answer written = onReplica.query(testing_support::expectedStatement(tenant));
        ASSERT_TRUE(written.ok()) << tenant << ": " << written.text;
    }
    for (const char* tenant : {"keyless", "keyed"}) {
        const Answer written = onPrimary.query(testing_support::expectedStatement(tenant));
        ASSERT_TRUE(written.ok()) << tenant << ": " << written.text;
    }
    ASSERT_TRUE(topology::replicaCaughtUp(primary, replica));

    EXPECT_EQ(rowCount(primary, "keyless"), 12u);
    EXPECT_EQ(rowCount(replica, "keyless"), 24u);
    const topology::ReplicaState state = topology::replicaState(replica);
    EXPECT_TRUE(state.ioRunning);
    EXPECT_FALSE(state.sqlRunning);
    EXPECT_EQ(state.lastSqlError, 1062u);
    EXPECT_NE(state.lastSqlErrorText.find("Duplicate entry '50' for key 'PRIMARY'"), std::string::npos)
        << state.lastSqlErrorText;
    // To the account the broken replica now looks like a server that does not replicate.
    EXPECT_EQ(replicationSeenByTheAccount(replicaServer()), seen("OFF", "0", "0", "0"));
}

}  // namespace
