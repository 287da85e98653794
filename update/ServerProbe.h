// What a run asks a server about itself before it lists its databases; the question
// leaves with the connect, so its answer costs no round trip of its own.
//
// The answer is the server's own proof of where a session arrived. Two named locks do it;
// a named lock belongs to the one server (the one Galera node) that gave it, and lives as
// long as the session that took it:
// - the command's lock, a name no other command uses (newCommandLockName), taken by the first
//   session of this command to reach a server: a later session of the same command that
//   finds it held reached a server this command has already, whatever address it was
//   given, and learns which session holds it;
// - the run lock, the name every run of the program uses (kRunLockName), taken by that
//   first session only: held by a session that is not this command's, another run is
//   updating the server now.
// Both are held until the session ends, which the console keeps open until the whole
// command ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace data {
class Connection;
}

namespace update {

inline constexpr std::string_view kRunLockName = "calendar-import";
// The lock a run writing through any node of a Galera cluster holds on the cluster's first
// node (clusterLockStatement): named locks belong to one node, so the run lock alone would
// let two runs through two nodes both write.
inline constexpr std::string_view kClusterLockName = "calendar-import cluster";

struct ServerProbe {
    // The server's own account of who it is (its host name, port and data folder) as one
    // text. Distinct servers made from one image give the same text: never proof alone.
    std::string identity;
    // This session's id on its server (ids of different servers overlap).
    std::uint64_t connectionId = 0;
    // Took the command's lock: no session of this command had reached this server.
    bool firstOfCommand = false;
    // The session of this command that holds the command's lock on this server (this one
    // when firstOfCommand).
    std::optional<std::uint64_t> commandLockHolder;
    // Took the run lock (asked only when firstOfCommand).
    bool runLockTaken = false;
    // The session holding the run lock when this one could not take it: another run's.
    std::optional<std::uint64_t> runLockHolder;
    // @@read_only.
    bool readOnly = false;
    // Its replication runs in any way (Slave_running ON, or an applier running).
    bool replicating = false;
    // A Galera node's cluster (wsrep_cluster_state_uuid); empty on any other server.
    std::string clusterUuid;
    // A Galera node of a Primary component that is ready: one that takes writes.
    bool clusterNodeWritable = false;
    // The node's state as the server says it (wsrep_cluster_status/wsrep_ready).
    std::string clusterNodeState;
    // The cluster's nodes as this node lists them (wsrep_incoming_addresses), "host:port"
    // each, in the node's order.
    std::string clusterAddresses;
};

// A new name for a command's own lock, different from every other command's: 64 random
// bits after the run lock's name.
std::string newCommandLockName();

// The marks that every probe and proof statement begins with, whatever its command's
// lock: for a reader of the server's log.
inline constexpr std::string_view kProbeStatementStart = "SELECT GET_LOCK('calendar-import ";
inline constexpr std::string_view kProofStatementStart = "SELECT IS_USED_LOCK('calendar-import ";

// The probe's statement (UTF-8), with the command's lock `commandLock`.
std::string probeStatement(std::string_view commandLock);

// The server's answers to the probe: taken from those waiting when the connect sent it,
// asked now otherwise. Throws data::Error as the session does.
ServerProbe readProbe(data::Connection& session, std::string_view commandLock);

// A further session's question: which session of this command holds the command's lock
// on the server this session reached. It takes no lock, so a session that reached
// another server leaves nothing behind there.
std::string proofStatement(std::string_view commandLock);

// The answer to proofStatement: the holder's id; none when no session of this command
// reached the server. Throws data::Error as the session does.
std::optional<std::uint64_t> readProof(data::Connection& session, std::string_view commandLock);

// A session to another node, asked whether it may take over a run whose node was lost:
// it may when it is a node of `clusterUuid` that takes writes now (Primary, ready, not
// read_only, not replicating) and the run lock there is this command's, taken now by this
// session or held already by the session of this command that holds the command's lock
// (a run of this command that found the node's cluster updated through another node).
// The run lock is asked for only on such a node, so a server of another kind never sees
// this command's locks. The command's lock is not taken.
std::string takeOverStatement(std::string_view commandLock, std::string_view clusterUuid);

// The answer to takeOverStatement: whether the session may go on with the run. Throws
// data::Error as the session does.
bool readTakeOver(data::Connection& session, std::string_view commandLock, std::string_view clusterUuid);

// Takes the cluster lock on the node a session reached: its columns are 1 when taken and
// the holder's connection id.
std::string clusterLockStatement();

}  // namespace update
