// The host text's rules, checked before the client library reads the text its own way.
#include "data/HostText.h"

#include "data/DatabaseError.h"

#if defined(_WIN32)
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <sys/socket.h>
#endif

#include <string_view>

namespace data {
namespace {

// The client library would read a port after ':', a path after '/', options after '?',
// a fail-over list after ',' and a connection string with ';' or '='; a NUL would
// silently cut the text short. An IPv6 address is the one host text with ':' in it, and
// it is taken whole.
constexpr std::string_view kCharactersNotInHostNames = std::string_view(":/?,;=\0", 7);

bool isIpv6Address(const std::string& text)
{
    in6_addr address{};
    return text.find('\0') == std::string::npos && inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

}  // namespace

void checkHostText(const std::string& hostName, const std::string& shownName)
{
    if (hostName.find_first_of(kCharactersNotInHostNames) != std::string::npos && !isIpv6Address(hostName))
        throw ProgramError("Adresa serveru \"" + shownName.substr(0, shownName.find('\0')) +
                           "\" obsahuje znak, který v adrese být nemůže (: / ? , ; =)");
}

bool isAddressLiteral(const std::string& host)
{
    in_addr ipv4{};
    return host.empty() || host == "localhost" || inet_pton(AF_INET, host.c_str(), &ipv4) == 1 ||
           isIpv6Address(host);
}

}  // namespace data
