// A relay between the program and the test server that drops the connection the moment
// the program sends a given text, as a server that crashes there would.
#pragma once

#include "tests/support/LoopbackListener.h"

#include <string>
#include <thread>

namespace testing_support {

// Listens on `address`:3306 (any other loopback address than the server's own), passes
// one session through to the test server at 127.0.0.1:3306, and closes both sides
// instead of forwarding the first packet from the program that contains `trigger`; the
// packets before it go on, even when the program wrote them together with it (a pipeline),
// and the program still gets the server's answers to them, as from a server that dies
// at the trigger.
class CuttingProxy {
public:
    CuttingProxy(std::string address, std::string trigger);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    const std::string& address() const { return address_; }

private:
    void relay();
    // Passes the program's whole packets on to `server`; false once the trigger came.
    bool passProgramBytes(std::string_view bytes, int server);

    std::string address_;
    std::string trigger_;
    // The program's bytes not yet cut into packets.
    std::string partial_;
    LoopbackListener listener_;
    std::thread thread_;
};

}  // namespace testing_support
