// The sessions beyond the first (RunOptions::sessions): each in a thread of its own,
// opened while the first one reads the list, taking names from the same queue.
#pragma once

#include "data/ConnectionSettings.h"
#include "data/DatabaseError.h"
#include "update/ServerProbe.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace data {
class Connection;
}

namespace update {

class NameQueue;
class RunTally;

// How the further sessions reach the first one's server.
struct FirstSession {
    data::ConnectionSettings settings;
    // The address the first session reached; empty: the settings' host name.
    std::string address;
    // Whether each further session must prove that it reached the first one's server
    // (firstServerIs) before it takes a name.
    bool proofWanted = false;
    // The command's lock that the first session holds (ServerProbe).
    std::string commandLock;
};

class FurtherSessions {
public:
    // Starts `count` sessions at once. Each connects to the first one's server and, when
    // proof is wanted, proves it reached that server; then it sends from `queue` as the
    // first does. One that would have no work is not opened, or closed at once. One that
    // cannot be opened, or reached another server, is closed and told to `tally`; the
    // others do its share.
    FurtherSessions(FirstSession first, std::size_t count, std::size_t depth, NameQueue& queue, RunTally& tally);
    // Tells a session still waiting for the list or the proof that none will come, then
    // waits for every session's end.
    ~FurtherSessions();
    FurtherSessions(const FurtherSessions&) = delete;
    FurtherSessions& operator=(const FurtherSessions&) = delete;

    // What the first session's server said of itself, the proof each further session's
    // server must match.
    void firstServerIs(const ServerProbe& probe);

private:
    void work() noexcept;
    // The first session's probe, once known; none when the run ended without it.
    std::optional<ServerProbe> awaitFirstServer();
    void report(const data::Failure& whyNotOpened) noexcept;

    const FirstSession first_;
    const std::vector<std::string> openingStatements_;
    const std::size_t depth_;
    NameQueue& queue_;
    RunTally& tally_;
    std::mutex lock_;
    std::condition_variable decided_;
    bool firstServerKnown_ = false;
    bool abandoned_ = false;
    ServerProbe firstServer_;
    // Last, so that every thread has ended before the members it uses go.
    std::vector<std::jthread> threads_;
};

}  // namespace update
