// A relay between the program and the test server that can hold the server's answers
// back while it counts the queries the program sends: what a session writes before it
// has any answer shows how many statements it keeps in flight.
#pragma once

#include "tests/support/LoopbackListener.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace testing_support {

class HoldingRelay {
public:
    // Listens on `address`:3306 (another loopback address than the server's own) and
    // passes one session through to the test server at 127.0.0.1:3306. From the first
    // query that holds `holdAtText` on (never when it is empty; see holdAnswers), the
    // server's answers wait in the relay.
    explicit HoldingRelay(std::string address, std::string holdAtText = {});
    ~HoldingRelay();
    HoldingRelay(const HoldingRelay&) = delete;
    HoldingRelay& operator=(const HoldingRelay&) = delete;

    bool listening() const { return listener_.listening(); }
    // From now on the server's answers wait in the relay.
    void holdAnswers();
    // Passes on what it held, and from now on everything at once.
    void release();
    // Waits until `count` queries have passed since the answers were first held, or
    // `limit` is over; returns how many have.
    std::size_t waitForQueries(std::size_t count, std::chrono::milliseconds limit);
    // Waits for `quiet` in which no further query passes; returns how many have.
    std::size_t queriesAfterQuiet(std::chrono::milliseconds quiet);

private:
    void relay();
    // Counts the queries among the program's bytes, whole packets at a time.
    void readProgramBytes(std::string_view bytes);

    const std::string holdAtText_;
    LoopbackListener listener_;
    int wake_[2] = {-1, -1};
    std::mutex lock_;
    std::condition_variable queryPassed_;
    bool holding_ = false;
    bool released_ = false;
    std::size_t queriesHeld_ = 0;
    // The program's bytes not yet cut into packets.
    std::string partial_;
    std::thread thread_;
};

}  // namespace testing_support
