// Reading the peer's address back from the socket, as text a later connect can use.
#include "data/PeerAddress.h"

#include "data/Sockets.h"

namespace data {

std::string peerAddressOf(my_socket socket)
{
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = nullptr;
    if (address.ss_family == AF_INET)
        bytes = &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr;
    else if (address.ss_family == AF_INET6 && reinterpret_cast<const sockaddr_in6*>(&address)->sin6_scope_id == 0)
        bytes = &reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr;  // a scoped one has no text of its own here
    if (!bytes || !inet_ntop(address.ss_family, bytes, text, sizeof text))
        return {};
    return text;
}

}  // namespace data
