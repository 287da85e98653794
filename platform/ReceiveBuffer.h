// How much a session's TCP connection can hold of the server's answers unread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

// Asks the system for a receive buffer of `wanted` bytes on the connected `socket` (the
// system's own handle) and returns how many bytes of data the buffer it gave holds. None
// for a socket that is not TCP (a local socket's unread data is held on the sender's side,
// out of this program's reach) or when the system does not tell.
std::optional<std::size_t> enlargeReceiveBuffer(std::uintptr_t socket, std::size_t wanted) noexcept;

}  // namespace platform
