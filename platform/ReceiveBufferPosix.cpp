// The receive buffer of a TCP connection on POSIX.
#include "platform/ReceiveBuffer.h"

#include <sys/socket.h>

#include <climits>

namespace platform {

std::optional<std::size_t> enlargeReceiveBuffer(std::uintptr_t handle, std::size_t wanted) noexcept
{
    const int socket = static_cast<int>(handle);
    sockaddr_storage own{};
    socklen_t size = sizeof own;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&own), &size) != 0 ||
        (own.ss_family != AF_INET && own.ss_family != AF_INET6))
        return std::nullopt;
    const int asked = wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted);
    // Refused or cut to the system's limit: what the buffer holds is read back below.
    (void)setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &asked, sizeof asked);
    int given = 0;
    socklen_t givenSize = sizeof given;
    if (getsockopt(socket, SOL_SOCKET, SO_RCVBUF, &given, &givenSize) != 0 || given <= 0)
        return std::nullopt;
#if defined(__linux__)
    // Linux reports twice the size asked (at most its limit): the other half is kept for
    // its own bookkeeping of the data, not for the data itself.
    return static_cast<std::size_t>(given) / 2;
#else
    return static_cast<std::size_t>(given);
#endif
}

}  // namespace platform
