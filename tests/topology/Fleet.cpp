// The fleets, read from the description the start script writes, and put back in shape
// through root's sessions and the script.
#include "tests/topology/Fleet.h"

#include "tests/support/AccountSession.h"
#include "tests/support/ChildProcess.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace topology {

using testing_support::AdminSession;

namespace {

constexpr char kAccount[] = "quorvel";

std::filesystem::path fleetDir(std::string_view kind)
{
    return std::filesystem::path(TOPOLOGY_DIR) / kind;
}

std::string scalarOr(AdminSession& root, std::string_view sql, std::string fallback)
{
    const testing_support::Rows rows = root.rows(sql);
    return rows.empty() || rows.front().empty() ? fallback : rows.front().front();
}

bool nodeSynced(AdminSession& root, std::size_t clusterSize)
{
    return statusOf(root, "wsrep_local_state_comment") == "Synced" &&
           statusOf(root, "wsrep_cluster_status") == "Primary" &&
           statusOf(root, "wsrep_cluster_size") == std::to_string(clusterSize);
}

// What a test may have left on any server: tenants, sessions of the account (holding named
// locks), a server made read-only.
void clearServer(AdminSession& root, bool dropTenants)
{
    if (dropTenants)
        testing_support::dropTenantDatabases(root);
    testing_support::killSessionsOf(root, kAccount);
    root.exec("SET GLOBAL read_only = OFF");
}

}  // namespace

Fleet::Fleet(FleetKind kind, std::filesystem::path dir) : kind_(kind), dir_(std::move(dir))
{
    std::ifstream description(dir_ / "servers");
    if (!description)
        throw std::runtime_error("no fleet is running in " + dir_.string() +
                                 ": its CTest fixture starts it (tests/topology/topology start)");
    std::string line;
    while (std::getline(description, line)) {
        std::istringstream fields(line);
        FleetServer server;
        if (!(fields >> server.name >> server.address))
            continue;
        server.socket = dir_ / server.name / "run" / "mysqld.sock";
        server.errorLog = dir_ / server.name / "run" / "error.log";
        servers_.push_back(std::move(server));
    }
}

const Fleet& Fleet::clones()
{
    static const Fleet fleet(FleetKind::Clones, fleetDir("clones"));
    return fleet;
}

const Fleet& Fleet::galera()
{
    static const Fleet fleet(FleetKind::Galera, fleetDir("galera"));
    return fleet;
}

const Fleet& Fleet::replication()
{
    static const Fleet fleet(FleetKind::Replication, fleetDir("replication"));
    return fleet;
}

const FleetServer& Fleet::server(std::string_view name) const
{
    for (const FleetServer& server : servers_) {
        if (server.name == name)
            return server;
    }
    throw std::runtime_error("the fleet in " + dir_.string() + " has no server " + std::string(name));
}

bool Fleet::running(const FleetServer& server) const
{
    try {
        AdminSession root(server.socket);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void Fleet::script(const std::string& command, std::string_view name) const
{
    const testing_support::ChildResult result =
        testing_support::runChild(TOPOLOGY_SCRIPT, {command, dir_.string(), std::string(name)});
    if (result.exitStatus != 0)
        throw std::runtime_error("topology " + command + " " + std::string(name) + " failed (" +
                                 std::to_string(result.exitStatus) + "): " + result.err + result.out);
}

void Fleet::kill(std::string_view name) const
{
    script("kill", name);
}

void Fleet::restart(std::string_view name) const
{
    script("restart", name);
}

void Fleet::restore() const
{
    for (const FleetServer& server : servers_) {
        if (!running(server))
            restart(server.name);
    }
    switch (kind_) {
    case FleetKind::Clones:
        for (const FleetServer& clone : servers_) {
            AdminSession root(clone.socket);
            clearServer(root, true);
        }
        return;
    case FleetKind::Galera: {
        for (const FleetServer& node : servers_) {
            AdminSession root(node.socket);
            if (scalarOr(root, "SELECT @@wsrep_desync", "0") != "0")
                root.exec("SET GLOBAL wsrep_desync = OFF");
            if (statusOf(root, "wsrep_cluster_status") != "Primary")
                rejoin(node);
        }
        for (const FleetServer& node : servers_) {
            AdminSession root(node.socket);
            if (!eventually([&] { return nodeSynced(root, servers_.size()); }))
                throw std::runtime_error(node.name + " is not synced in the cluster:\n" + logOf(node));
        }
        // Dropped through one node, the tenants go on every node.
        AdminSession first(servers_.front().socket);
        testing_support::dropTenantDatabases(first);
        for (const FleetServer& node : servers_) {
            AdminSession root(node.socket);
            clearServer(root, false);
            if (!eventually([&] { return root.rows("SHOW DATABASES").size() == 4; }))
                throw std::runtime_error(node.name + " keeps tenant databases dropped on " + servers_.front().name);
        }
        return;
    }
    case FleetKind::Replication: {
        AdminSession primary(server("primary").socket);
        AdminSession replica(server("replica").socket);
        clearServer(primary, true);
        // Whatever a test did on the replica alone, or however its replication stopped,
        // it starts again from where the primary is now, with the primary's databases.
        replica.exec("STOP SLAVE");
        clearServer(replica, true);
        replica.exec("SET GLOBAL gtid_slave_pos = " +
                     testing_support::literal(primary.scalar("SELECT @@gtid_binlog_pos")));
        replica.exec("START SLAVE");
        if (!eventually([&] { return replicaState(replica).running(); }))
            throw std::runtime_error("the replica does not replicate again:\n" + logOf(server("replica")));
        return;
    }
    }
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool grantedOnEveryNode(const Fleet& galera, std::string_view database)
{
    for (const FleetServer& node : galera.servers()) {
        const bool seen = eventually([&] {
            testing_support::AccountSession account(node.address);
            return account.query("SHOW DATABASES LIKE " + testing_support::literal(database)).rows.size() == 1;
        });
        if (!seen)
            return false;
    }
    return true;
}

std::size_t rowCount(AdminSession& root, const std::string& tenant)
{
    return std::stoul(root.scalar("SELECT COUNT(*) FROM " + testing_support::identifier(tenant) + ".`calendar`"));
}

std::string statusOf(AdminSession& root, std::string_view variable)
{
    const testing_support::Rows rows =
        root.rows("SHOW GLOBAL STATUS LIKE " + testing_support::literal(variable));
    return rows.empty() ? std::string() : rows.front().back();
}

void isolate(const FleetServer& node)
{
    AdminSession root(node.socket);
    root.exec("SET GLOBAL wsrep_provider_options = 'gmcast.isolate=1'");
    if (!eventually([&] { return statusOf(root, "wsrep_cluster_status") == "non-Primary"; }))
        throw std::runtime_error(node.name + " did not leave the cluster:\n" + logOf(node));
}

void rejoin(const FleetServer& node)
{
    AdminSession root(node.socket);
    root.exec("SET GLOBAL wsrep_provider_options = 'gmcast.isolate=0'");
    if (!eventually([&] {
            return statusOf(root, "wsrep_cluster_status") == "Primary" &&
                   statusOf(root, "wsrep_local_state_comment") == "Synced";
        }))
        throw std::runtime_error(node.name + " did not join the cluster again:\n" + logOf(node));
}

ReplicaState replicaState(AdminSession& replica)
{
    std::map<std::string, std::string> status = replica.namedRow("SHOW SLAVE STATUS");
    const auto number = [&](const char* column) {
        const std::string& value = status[column];
        return value.empty() ? 0u : static_cast<unsigned>(std::stoul(value));
    };
    ReplicaState state;
    state.ioRunning = status["Slave_IO_Running"] == "Yes";
    state.sqlRunning = status["Slave_SQL_Running"] == "Yes";
    state.lastSqlError = number("Last_SQL_Errno");
    state.lastSqlErrorText = status["Last_SQL_Error"];
    state.lastIoError = number("Last_IO_Errno");
    state.lastIoErrorText = status["Last_IO_Error"];
    return state;
}

bool replicaCaughtUp(AdminSession& primary, AdminSession& replica)
{
    const std::string position = primary.scalar("SELECT @@gtid_binlog_pos");
    return eventually([&] {
        if (!replicaState(replica).sqlRunning)
            return true;
        return replica.scalar("SELECT MASTER_GTID_WAIT(" + testing_support::literal(position) + ", 1)") == "0";
    });
}

std::string logOf(const FleetServer& server)
{
    std::ifstream log(server.errorLog);
    std::ostringstream text;
    text << "--- " << server.errorLog.string() << "\n" << log.rdbuf();
    return text.str();
}

}  // namespace topology
