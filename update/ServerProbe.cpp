// The probe's question and the reading of its answer.
#include "update/ServerProbe.h"

#include "data/Connection.h"

#include <cctype>
#include <chrono>
#include <charconv>
#include <random>

namespace update {

namespace {

// The columns of probeStatement, in its order.
enum ProbeColumn : std::size_t {
    kTookCommandLock,
    kTookRunLock,
    kConnectionId,
    kCommandLockHolder,
    kRunLockHolder,
    kReadOnly,
    kWsrepOn,
    kSlaveRunning,
    kSlavesRunning,
    kClusterUuid,
    kClusterStatus,
    kWsrepReady,
    kIdentity,
    kIncomingAddresses,
};

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// A status or system variable read from information_schema: a row that a server does not
// have (a server without Galera lacks some) reads as NULL instead of failing the probe.
std::string globalValue(std::string_view table, std::string_view name)
{
    return "(SELECT VARIABLE_VALUE FROM information_schema." + std::string(table) + " WHERE VARIABLE_NAME='" +
           std::string(name) + "')";
}

std::optional<std::uint64_t> number(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

bool isOne(const std::optional<std::string>& text)
{
    return number(text) == 1u;
}

bool equalsIgnoringCase(const std::optional<std::string>& text, std::string_view expected)
{
    if (!text || text->size() != expected.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>((*text)[i])) != std::tolower(static_cast<unsigned char>(expected[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string newCommandLockName()
{
    // Within the server's 64 characters.
    // The clock as well, should a system's random device repeat itself.
    std::random_device random;
    const std::uint64_t bits = ((std::uint64_t{random()} << 32) ^ random()) ^
                               static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, bits, 16);
    return std::string(kRunLockName) + " " + std::string(digits, written.ptr);
}

std::string probeStatement(std::string_view commandLock)
{
    const std::string command = quoted(commandLock);
    const std::string run = quoted(kRunLockName);
    // The command's lock first: whichever session of this command gets it is the one that
    // claims the server, and only that one then asks for the run lock. Every function runs
    // in the column order on the one server, in one statement: no other session's answer
    // can fall between a lock taken and its holder read.
    return "SELECT GET_LOCK(" + command + ",0), IF(IS_USED_LOCK(" + command + ")=CONNECTION_ID(), GET_LOCK(" + run +
           ",0), 0), CONNECTION_ID(), IS_USED_LOCK(" + command + "), IS_USED_LOCK(" + run + "), @@read_only, " +
           globalValue("GLOBAL_VARIABLES", "WSREP_ON") + ", " + globalValue("GLOBAL_STATUS", "SLAVE_RUNNING") + ", " +
           globalValue("GLOBAL_STATUS", "SLAVES_RUNNING") + ", " +
           globalValue("GLOBAL_STATUS", "WSREP_CLUSTER_STATE_UUID") + ", " +
           globalValue("GLOBAL_STATUS", "WSREP_CLUSTER_STATUS") + ", " + globalValue("GLOBAL_STATUS", "WSREP_READY") +
           ", CONCAT_WS(':', @@hostname, @@port, @@datadir), " +
           globalValue("GLOBAL_STATUS", "WSREP_INCOMING_ADDRESSES");
}

ServerProbe readProbe(data::Connection& session, std::string_view commandLock)
{
    session.sendQuery(probeStatement(commandLock));
    data::StoredResult result = session.storeResult();
    if (!result.fetchRow())
        throw data::ProgramError("Server neřekl, kdo je");
    ServerProbe probe;
    probe.identity = result.column(kIdentity).value_or("");
    probe.connectionId = number(result.column(kConnectionId)).value_or(0);
    probe.firstOfCommand = isOne(result.column(kTookCommandLock));
    probe.commandLockHolder = number(result.column(kCommandLockHolder));
    probe.runLockTaken = isOne(result.column(kTookRunLock));
    if (!probe.runLockTaken)
        probe.runLockHolder = number(result.column(kRunLockHolder));
    probe.readOnly = isOne(result.column(kReadOnly));
    probe.replicating = equalsIgnoringCase(result.column(kSlaveRunning), "ON") ||
                        number(result.column(kSlavesRunning)).value_or(0) > 0;
    // A server that is not a Galera node reads wsrep_ready OFF and Disconnected as well:
    // only a node with wsrep on and a cluster is one.
    const std::optional<std::string> uuid = result.column(kClusterUuid);
    if (equalsIgnoringCase(result.column(kWsrepOn), "ON") && uuid && !uuid->empty()) {
        probe.clusterUuid = *uuid;
        const std::optional<std::string> status = result.column(kClusterStatus);
        const std::optional<std::string> ready = result.column(kWsrepReady);
        probe.clusterNodeWritable = equalsIgnoringCase(status, "Primary") && equalsIgnoringCase(ready, "ON");
        probe.clusterNodeState = status.value_or("") + ", wsrep_ready " + ready.value_or("");
        probe.clusterAddresses = result.column(kIncomingAddresses).value_or("");
    }
    return probe;
}

std::string proofStatement(std::string_view commandLock)
{
    return "SELECT IS_USED_LOCK(" + quoted(commandLock) + ")";
}

std::optional<std::uint64_t> readProof(data::Connection& session, std::string_view commandLock)
{
    session.sendQuery(proofStatement(commandLock));
    data::StoredResult result = session.storeResult();
    if (!result.fetchRow())
        throw data::ProgramError("Server neřekl, kdo drží zámek");
    return number(result.column(0));
}

namespace {

// A cluster's uuid as a server gives it: hexadecimal digits and dashes, nothing to quote.
bool plainUuid(std::string_view uuid)
{
    if (uuid.empty())
        return false;
    for (const char c : uuid) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != '-')
            return false;
    }
    return true;
}

}  // namespace

std::string clusterLockStatement()
{
    const std::string lock = quoted(kClusterLockName);
    return "SELECT GET_LOCK(" + lock + ",0), IS_USED_LOCK(" + lock + ")";
}

std::string takeOverStatement(std::string_view commandLock, std::string_view clusterUuid)
{
    const std::string run = quoted(kRunLockName);
    const std::string fit = "(" + globalValue("GLOBAL_STATUS", "WSREP_CLUSTER_STATE_UUID") + "=" +
                            quoted(plainUuid(clusterUuid) ? clusterUuid : "-") + " AND " +
                            globalValue("GLOBAL_STATUS", "WSREP_CLUSTER_STATUS") + "='Primary' AND " +
                            globalValue("GLOBAL_STATUS", "WSREP_READY") + "='ON' AND @@read_only=0 AND IFNULL(" +
                            globalValue("GLOBAL_STATUS", "SLAVE_RUNNING") + ",'OFF')<>'ON' AND IFNULL(" +
                            globalValue("GLOBAL_STATUS", "SLAVES_RUNNING") + ",0)=0)";
    return "SELECT IFNULL(" + fit + ",0), IF(IFNULL(" + fit + ",0), GET_LOCK(" + run + ",0), 0), IS_USED_LOCK(" + run +
           "), IS_USED_LOCK(" + quoted(commandLock) + ")";
}

bool readTakeOver(data::Connection& session, std::string_view commandLock, std::string_view clusterUuid)
{
    session.sendQuery(takeOverStatement(commandLock, clusterUuid));
    data::StoredResult result = session.storeResult();
    if (!result.fetchRow())
        throw data::ProgramError("Server neřekl, zda může převzít běh");
    if (!isOne(result.column(0)) || !plainUuid(clusterUuid))
        return false;
    if (isOne(result.column(1)))
        return true;
    const std::optional<std::uint64_t> runHolder = number(result.column(2));
    return runHolder && runHolder == number(result.column(3));
}

}  // namespace update
