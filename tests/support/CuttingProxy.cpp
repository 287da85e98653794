// A one-session TCP relay with a cut-off, on plain POSIX sockets.
#include "tests/support/CuttingProxy.h"

#include "tests/support/RelaySockets.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace testing_support {

namespace {

constexpr std::uint16_t kServerPort = 3306;
constexpr char kServerAddress[] = "127.0.0.1";

// A packet's header: three bytes of length, one of sequence.
constexpr std::size_t kHeader = 4;

}  // namespace

CuttingProxy::CuttingProxy(std::string address, std::string trigger)
    : address_(std::move(address)), trigger_(std::move(trigger)), listener_(address_, kServerPort, 1)
{
    if (!listener_.listening())
        ADD_FAILURE() << "the relay cannot listen on " << address_ << ":" << kServerPort;
    thread_ = std::thread([this] { relay(); });
}

CuttingProxy::~CuttingProxy()
{
    listener_.stop();
    thread_.join();
}

bool CuttingProxy::passProgramBytes(std::string_view bytes, int server)
{
    partial_.append(bytes);
    std::size_t at = 0;
    while (partial_.size() - at >= kHeader) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(partial_[at + i]); };
        const std::size_t length = byte(0) | byte(1) << 8 | byte(2) << 16;
        if (partial_.size() - at < kHeader + length)
            break;
        const std::string_view packet(partial_.data() + at, kHeader + length);
        if (!trigger_.empty() && packet.find(trigger_) != std::string_view::npos)
            return false;
        if (!writeAll(server, packet))
            return false;
        at += packet.size();
    }
    partial_.erase(0, at);
    return true;
}

void CuttingProxy::relay()
{
    const int client = listener_.next();
    if (client < 0)
        return;
    const int server = connectTo(kServerAddress, kServerPort);
    if (server >= 0) {
        std::array<char, 65536> buffer;
        pollfd fds[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {listener_.stopped(), POLLIN, 0}};
        while (poll(fds, 3, -1) > 0 && fds[2].revents == 0) {
            if (fds[0].revents != 0) {
                const ssize_t size = read(client, buffer.data(), buffer.size());
                if (size <= 0)
                    break;
                if (!passProgramBytes(std::string_view(buffer.data(), static_cast<std::size_t>(size)), server)) {
                    // As a server that dies at that statement: it answers what reached it
                    // before, and nothing more.
                    shutdown(server, SHUT_WR);
                    ssize_t size = 0;
                    while ((size = read(server, buffer.data(), buffer.size())) > 0 &&
                           writeAll(client, std::string_view(buffer.data(), static_cast<std::size_t>(size)))) {
                    }
                    break;
                }
            }
            if (fds[1].revents != 0) {
                const ssize_t size = read(server, buffer.data(), buffer.size());
                if (size <= 0 || !writeAll(client, std::string_view(buffer.data(), static_cast<std::size_t>(size))))
                    break;
            }
        }
    }
    close(server);
    close(client);
}

}  // namespace testing_support
