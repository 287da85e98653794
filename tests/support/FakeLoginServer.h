// A stand-in for a server that asks for a login method the client library does not have:
// it greets, reads the client's login, and answers with a switch to that method.
#pragma once

#include <atomic>
#include "tests/support/LoopbackListener.h"

#include <string>
#include <thread>

namespace testing_support {

// Listens on `address`:3306 (a loopback address other than the test server's) and
// serves one session after another until destroyed: the greeting of a MySQL server,
// then, after the client's login packet, an authentication switch request naming
// `method`, and closes the session: the client has to decide on the method with what it
// has (waiting for its next packet would only hold it until its own time limit).
class FakeLoginServer {
public:
    FakeLoginServer(std::string address, std::string method);
    ~FakeLoginServer();
    FakeLoginServer(const FakeLoginServer&) = delete;
    FakeLoginServer& operator=(const FakeLoginServer&) = delete;

    const std::string& address() const { return address_; }
    // Sessions that got as far as the switch request.
    int switchesSent() const { return switchesSent_.load(); }

private:
    void serve();
    void session(int client);

    std::string address_;
    std::string method_;
    LoopbackListener listener_;
    std::atomic<int> switchesSent_{0};
    std::thread thread_;
};

}  // namespace testing_support
