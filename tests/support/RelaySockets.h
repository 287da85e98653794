// What every relay and stand-in server of the tests does with its sockets: reach the server
// behind it, write a whole piece, send small pieces at once.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

// Small pieces must leave at once, not when the kernel has gathered more: the protocol's
// packets are small, and the tests time round trips.
void sendAtOnce(int socket);

// A session to `address`:`port` (IPv4) that sends at once; -1 when it cannot be reached.
int connectTo(const std::string& address, unsigned short port);

// False when the other side went away before all of `bytes` was written.
bool writeAll(int socket, std::string_view bytes);

}  // namespace testing_support
