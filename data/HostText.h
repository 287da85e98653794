// What a server's host text may hold: a host and nothing more.
#pragma once

#include <string>

namespace data {

// Throws ProgramError when `hostName` (the Windows-1250 text the client library gets)
// carries more than a host: a port, a path, options, a fail-over list, a connection
// string or a NUL. An IPv6 address is taken whole. `shownName` (UTF-8) names the text in
// the message.
void checkHostText(const std::string& hostName, const std::string& shownName);

// True when `host` needs no name look-up: empty, "localhost", or an IPv4 or IPv6 address.
bool isAddressLiteral(const std::string& host);

}  // namespace data
