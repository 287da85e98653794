// The numeric address at the other end of a session's socket.
#pragma once

#include <mysql.h>

#include <string>

namespace data {

// The numeric IP address `socket` is connected to; empty for a local socket or pipe, a
// link-local IPv6 address (its zone would be lost) or when it cannot be told.
std::string peerAddressOf(my_socket socket);

}  // namespace data
