// A balancer in front of several MariaDB servers: one listening address that hands each new
// connection to the next server in turn, and remembers which server each one went to.
#pragma once

#include "tests/support/LoopbackListener.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class RoundRobinRelay {
public:
    // Listens on `address`:`port`; connection n goes to backEnds[n % size]:`port`, whose
    // bytes it passes on unchanged both ways. A back end that cannot be reached gets the
    // connection closed, as a balancer without health checks does.
    RoundRobinRelay(std::string address, std::vector<std::string> backEnds, unsigned short port = 3306);
    ~RoundRobinRelay();
    RoundRobinRelay(const RoundRobinRelay&) = delete;
    RoundRobinRelay& operator=(const RoundRobinRelay&) = delete;

    // False when it could not listen.
    bool listening() const { return listener_.listening(); }
    // The back end (its address) of every connection so far, in the order they came.
    std::vector<std::string> connectionsSentTo() const;

private:
    void acceptConnections();
    void relay(int client, const std::string& backEnd);

    std::vector<std::string> backEnds_;
    unsigned short port_;
    LoopbackListener listener_;
    mutable std::mutex mutex_;
    std::vector<std::string> sentTo_;
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};

}  // namespace testing_support
