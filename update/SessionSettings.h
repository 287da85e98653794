// The fixed account and session settings, assigned before every connect attempt.
#pragma once

#include <string>

namespace data {
class Connection;
}

namespace update {

// The server's port: fixed, like the account; a host text cannot carry another.
inline constexpr int kServerPort = 3306;

// Assigns, in this order, HostName, Port, User, Password, Protocol and Database.
// Only the host varies; `hostName` is UTF-8.
void assignSessionSettings(data::Connection& connection, const std::string& hostName);

}  // namespace update
