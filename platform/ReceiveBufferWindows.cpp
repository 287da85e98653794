// The receive buffer of a TCP connection on Windows.
#include "platform/ReceiveBuffer.h"

#include <winsock2.h>

#include <climits>

namespace platform {

std::optional<std::size_t> enlargeReceiveBuffer(std::uintptr_t handle, std::size_t wanted) noexcept
{
    const SOCKET socket = static_cast<SOCKET>(handle);
    sockaddr_storage own{};
    int size = sizeof own;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&own), &size) != 0 ||
        (own.ss_family != AF_INET && own.ss_family != AF_INET6))
        return std::nullopt;
    const int asked = wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted);
    // Refused: what the buffer holds is read back below.
    (void)setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&asked), sizeof asked);
    int given = 0;
    int givenSize = sizeof given;
    if (getsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&given), &givenSize) != 0 || given <= 0)
        return std::nullopt;
    return static_cast<std::size_t>(given);
}

}  // namespace platform
