// The account every tenant server gives this tool.
#include "update/SessionSettings.h"

#include "data/Connection.h"

namespace update {

namespace {

constexpr const char kUser[] = "quorvel";
constexpr const char kPassword[] = "selvado";
constexpr const char kProtocol[] = "mysql-4.1";
constexpr const char kDatabase[] = "mysql";

}  // namespace

void assignSessionSettings(data::Connection& connection, const std::string& hostName)
{
    connection.HostName = hostName;
    connection.Port = kServerPort;
    connection.User = kUser;
    connection.Password = kPassword;
    connection.Protocol = kProtocol;
    connection.Database = kDatabase;
}

}  // namespace update
