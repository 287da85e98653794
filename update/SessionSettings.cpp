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
    data::ConnectionSettings& settings = connection.settings;
    settings.HostName = hostName;
    settings.Port = kServerPort;
    settings.User = kUser;
    settings.Password = kPassword;
    settings.Protocol = kProtocol;
    settings.Database = kDatabase;
}

}  // namespace update
