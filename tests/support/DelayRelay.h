// A relay in front of a MariaDB server that holds every piece of traffic back for a fixed
// time each way, as a slow network would; it can also stop passing anything on at a
// given text, as a server that hangs would.
#pragma once

#include "tests/support/LoopbackListener.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class DelayRelay {
public:
    // Listens on `address`:3306 and passes each session to `upstream`:`upstreamPort`, each
    // piece `delay` later than it came. `upstream` may name several addresses separated by
    // commas: each new session goes to the next one, as a round-robin balancer sends it. When a piece from either side holds `stallAt`, the
    // bytes before it go on and neither side hears anything more in that session; with
    // `cutAtText`, the relay closes both sides of that session at once instead, as a cut
    // cable would. The other sessions go on.
    DelayRelay(std::string address, std::string upstream, std::chrono::microseconds delay,
               std::string stallAt = {}, unsigned short upstreamPort = 3306, bool cutAtText = false);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    // False when it could not listen.
    bool listening() const { return listener_.listening(); }
    // When the latest session was accepted: where a program's own work on the network
    // begins, whatever its start took before (a Wine process, say).
    std::chrono::steady_clock::time_point latestSessionAt() const
    {
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(latestSessionAt_.load()));
    }

private:
    void acceptSessions();
    void relaySession(int client, const std::string& upstreamAddress);

    std::string address_;
    std::vector<std::string> upstreams_;
    std::size_t sessionCount_ = 0;
    std::atomic<std::chrono::steady_clock::rep> latestSessionAt_{0};
    unsigned short upstreamPort_;
    std::chrono::microseconds delay_;
    std::string stallAt_;
    bool cutAtText_;
    LoopbackListener listener_;
    std::thread acceptor_;
    std::vector<std::thread> sessions_;
};

}  // namespace testing_support
