// A TCP listener on a loopback address for the tests' stand-ins (relays, a fake server),
// whose wait for the next connection another thread can end.
#pragma once

#include <string>

namespace testing_support {

class LoopbackListener {
public:
    // Listens on `address`:`port` at once. Every socket it makes closes on exec: a program
    // under test may start Wine's server, which outlives it and would otherwise keep the
    // address taken.
    LoopbackListener(const std::string& address, unsigned short port, int backlog);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // False when it could not listen.
    bool listening() const { return socket_ >= 0 && stopPipe_[0] >= 0; }
    // The next client's socket, or -1 once stop() was called (or when not listening).
    int next();
    // Ends the wait of next(), now and for every later call; from any thread.
    void stop();
    // Readable once stop() was called: for the poll of a session that must end with it.
    int stopped() const { return stopPipe_[0]; }

private:
    int socket_ = -1;
    int stopPipe_[2] = {-1, -1};
};

}  // namespace testing_support
