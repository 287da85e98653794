// A three-node Galera cluster: rows and the account replicate, every node tells the same
// cluster state UUID, and what the program's account can see and do on a node (its status,
// named locks, a node cut off from the others, MyISAM tables).
#include "tests/support/AccountSession.h"
#include "tests/topology/Fleet.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// The cluster's state as the account reads it, without privileges, by SHOW STATUS.
Rows clusterStatus(AccountSession& account)
{
    Rows status;
    for (const char* name :
         {"wsrep_cluster_state_uuid", "wsrep_cluster_status", "wsrep_local_state_comment", "wsrep_ready"}) {
        const Rows row = account.query(std::string("SHOW STATUS LIKE '") + name + "'").rows;
        status.push_back(row.empty() ? std::vector<std::string>{name, "(none)"} : row.front());
    }
    return status;
}

Rows statusOnNode(const std::string& uuid, const char* status, const char* state, const char* ready)
{
    return {{"wsrep_cluster_state_uuid", uuid},
            {"wsrep_cluster_status", status},
            {"wsrep_local_state_comment", state},
            {"wsrep_ready", ready}};
}

// "a:3306,b:3306" in order.
std::vector<std::string> sortedAddresses(const std::string& list)
{
    std::vector<std::string> addresses;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        addresses.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

std::size_t calendarRowCount(const FleetServer& node, const std::string& tenant)
{
    AdminSession root(node.socket);
    return topology::rowCount(root, tenant);
}

class Galera : public ::testing::Test {
protected:
    void SetUp() override { fleet().restore(); }

    static const Fleet& fleet() { return Fleet::galera(); }
    static const FleetServer& node(std::size_t i) { return fleet().servers().at(i); }
    static std::string clusterUuid()
    {
        AdminSession root(node(0).socket);
        return topology::statusOf(root, "wsrep_cluster_state_uuid");
    }
};

TEST_F(Galera, EveryNodeTellsOneClusterAndReadsARowWrittenOnAnother)
{
    ASSERT_EQ(fleet().servers().size(), 3u);
    const std::string uuid = clusterUuid();
    ASSERT_EQ(uuid.size(), 36u) << uuid;
    std::vector<std::string> addresses;
    for (const FleetServer& n : fleet().servers())
        addresses.push_back(n.address + ":3306");
    // The account, made on the first node, logs in to every node.
    for (const FleetServer& n : fleet().servers()) {
        SCOPED_TRACE(n.name);
        AccountSession account(n.address);
        EXPECT_EQ(clusterStatus(account), statusOnNode(uuid, "Primary", "Synced", "ON"));
        const Rows incoming = account.query("SHOW STATUS LIKE 'wsrep_incoming_addresses'").rows;
        ASSERT_EQ(incoming.size(), 1u);
        EXPECT_EQ(sortedAddresses(incoming.front().back()), addresses);
        // Unlike clones, nodes are told apart by their host names.
        EXPECT_EQ(account.scalar("SELECT @@hostname"), n.name);
    }

    AdminSession first(node(0).socket);
    testing_support::createTenant(first, "t", CalendarTable::WithoutKey);
    ASSERT_TRUE(topology::grantedOnEveryNode(fleet(), "t"));
    AccountSession account(node(1).address);
    const Answer written = account.query(testing_support::expectedStatement("t"));
    ASSERT_TRUE(written.ok()) << written.text;
    for (const FleetServer& n : fleet().servers()) {
        SCOPED_TRACE(n.name);
        // Galera applies on the other nodes after the commit: a moment may pass.
        EXPECT_TRUE(topology::eventually([&] { return calendarRowCount(n, "t") == 12; }));
    }
}

TEST_F(Galera, ANamedLockBelongsToTheNodeThatGaveItAndTheAccountCannotTurnReplicationOff)
{
    AccountSession onFirst(node(0).address);
    AccountSession onSecond(node(1).address);
    ASSERT_EQ(onFirst.scalar("SELECT GET_LOCK('calendar-import', 0)"), "1");
    EXPECT_EQ(onFirst.scalar("SELECT IS_USED_LOCK('calendar-import')"), std::to_string(onFirst.connectionId()));
    // Not replicated: the other node knows nothing of it and gives the same name again.
    EXPECT_EQ(onSecond.scalar("SELECT IS_USED_LOCK('calendar-import')"), "NULL");
    EXPECT_EQ(onSecond.scalar("SELECT GET_LOCK('calendar-import', 0)"), "1");

    const Answer off = onFirst.query("SET SESSION wsrep_on = OFF");
    EXPECT_EQ(off.error, 1227u) << off.text;
    EXPECT_EQ(onFirst.scalar("SELECT @@session.wsrep_on"), "1");
}

TEST_F(Galera, ANodeCutOffKeepsTheClusterUuidButRefusesToWrite)
{
    const std::string uuid = clusterUuid();
    AdminSession first(node(0).socket);
    testing_support::createTenant(first, "t", CalendarTable::WithKey);
    ASSERT_TRUE(topology::grantedOnEveryNode(fleet(), "t"));

    topology::isolate(node(2));
    AccountSession account(node(2).address);
    EXPECT_EQ(clusterStatus(account), statusOnNode(uuid, "non-Primary", "Initialized", "OFF"));
    const Answer refused = account.query(testing_support::expectedStatement("t"));
    EXPECT_EQ(refused.error, 1047u) << refused.text;
    // It still lists its databases and gives named locks.
    EXPECT_TRUE(account.query("SHOW DATABASES").ok());
    EXPECT_EQ(account.scalar("SELECT GET_LOCK('calendar-import', 0)"), "1");
    EXPECT_EQ(calendarRowCount(node(0), "t"), 0u);

    topology::rejoin(node(2));
    AccountSession again(node(2).address);
    EXPECT_EQ(clusterStatus(again), statusOnNode(uuid, "Primary", "Synced", "ON"));
}

TEST_F(Galera, RowsOfAMyIsamTenantStayOnTheNodeThatWroteThem)
{
    AdminSession first(node(0).socket);
    testing_support::createTenant(first, "m", CalendarShape{.table = CalendarTable::WithoutKey, .engine = Engine::MyISAM});
    testing_support::createTenant(first, "i", CalendarShape{.table = CalendarTable::WithoutKey, .engine = Engine::InnoDB});
    AccountSession account(node(0).address);
    ASSERT_TRUE(account.query(testing_support::expectedStatement("m")).ok());
    ASSERT_TRUE(account.query(testing_support::expectedStatement("i")).ok());
    // The InnoDB rows reaching the last node show that whatever came before them has come.
    ASSERT_TRUE(topology::eventually([&] { return calendarRowCount(node(2), "i") == 12; }));
    EXPECT_EQ(calendarRowCount(node(0), "m"), 12u);
    EXPECT_EQ(calendarRowCount(node(1), "m"), 0u);
    EXPECT_EQ(calendarRowCount(node(2), "m"), 0u);
}

}  // namespace
