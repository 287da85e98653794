// Finding a server's address within the connect time limit.
#pragma once

#include <string>

namespace data {

// Waits at most `seconds` (0: no limit, no wait) for the system to find the address of
// `host` (Windows-1250, as the client library gets it); throws ProgramError, naming
// `shownName` (UTF-8), when the time is up. An address or "localhost" needs no look-up.
void waitForAddressOf(const std::string& host, const std::string& shownName, unsigned seconds);

}  // namespace data
