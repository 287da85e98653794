// The relays' socket steps on plain POSIX sockets.
#include "tests/support/RelaySockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

void sendAtOnce(int socket)
{
    const int yes = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

int connectTo(const std::string& address, unsigned short port)
{
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (server < 0)
        return -1;
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &endpoint.sin_addr);
    if (connect(server, reinterpret_cast<const sockaddr*>(&endpoint), sizeof endpoint) != 0) {
        close(server);
        return -1;
    }
    sendAtOnce(server);
    return server;
}

bool writeAll(int socket, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(socket, bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace testing_support
