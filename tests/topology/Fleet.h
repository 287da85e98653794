// The fleets the test set-up starts (tests/topology/topology, one CTest fixture each):
// which servers they have, root's way into each, and what a test needs to put a fleet
// back as it was started.
#pragma once

#include "tests/support/AdminSession.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace topology {

// One server of a fleet; the program's account reaches it at `address`:3306.
struct FleetServer {
    std::string name;                // clone1, node2, primary, replica, ...
    std::string address;             // a loopback address of its own
    std::filesystem::path socket;    // root's way in (testing_support::AdminSession)
    std::filesystem::path errorLog;  // shown when a test fails
};

enum class FleetKind { Clones, Galera, Replication };

class Fleet {
public:
    // The fleet its fixture started (topology_clones, topology_galera,
    // topology_replication); fails the test when it is not running.
    static const Fleet& clones();
    static const Fleet& galera();
    static const Fleet& replication();

    FleetKind kind() const { return kind_; }
    const std::vector<FleetServer>& servers() const { return servers_; }
    const FleetServer& server(std::string_view name) const;

    // The fleet as it was started, without tenant databases: every server running, every
    // Galera node synced in one cluster, the replica replicating and not read-only. Call it
    // at the start of each test; it also undoes what a test broke on purpose.
    void restore() const;
    // One server killed outright, and started again as it was (a node joins the cluster).
    void kill(std::string_view name) const;
    void restart(std::string_view name) const;

private:
    Fleet(FleetKind kind, std::filesystem::path dir);
    bool running(const FleetServer& server) const;
    void script(const std::string& command, std::string_view name) const;

    FleetKind kind_;
    std::filesystem::path dir_;
    std::vector<FleetServer> servers_;
};

// Waits until `condition` holds, up to `bound` (a loaded two-core machine); false if it
// never did.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds bound = std::chrono::seconds(60));

// The rows of `tenant`'s calendar table, as root counts them on one server.
std::size_t rowCount(testing_support::AdminSession& root, const std::string& tenant);

// A status variable as the server reports it to root ("" when it has none by that name).
std::string statusOf(testing_support::AdminSession& root, std::string_view variable);

// --- Galera
// Cuts a node off from the others (it ends up "non-Primary", "Initialized"), and lets it
// join again; restore() also does the latter.
void isolate(const FleetServer& node);
void rejoin(const FleetServer& node);
// Until the program's account sees `database` on every node of `galera`: its grant, the
// last step of a tenant made on one node, has been applied on each (a node applies what
// another committed a moment later). False when some node did not within the bound.
bool grantedOnEveryNode(const Fleet& galera, std::string_view database);

// --- replication
// The replica's replication as SHOW SLAVE STATUS tells root.
struct ReplicaState {
    bool ioRunning = false;
    bool sqlRunning = false;
    unsigned lastSqlError = 0;
    std::string lastSqlErrorText;
    unsigned lastIoError = 0;
    std::string lastIoErrorText;

    bool running() const { return ioRunning && sqlRunning; }
};
ReplicaState replicaState(testing_support::AdminSession& replica);
// Until the replica has applied everything the primary logged so far (or has stopped on
// an error); false when it did neither within the bound.
bool replicaCaughtUp(testing_support::AdminSession& primary, testing_support::AdminSession& replica);

// The server's error log, for a failure message.
std::string logOf(const FleetServer& server);

}  // namespace topology
