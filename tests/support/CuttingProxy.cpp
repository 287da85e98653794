// A one-session TCP relay with a cut-off, on plain POSIX sockets.
#include "tests/support/CuttingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
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

sockaddr_in endpoint(const std::string& address)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(kServerPort);
    inet_pton(AF_INET, address.c_str(), &result.sin_addr);
    return result;
}

// Copies what `from` has to `to`; false when `from` has closed or the trigger came.
bool pass(int from, int to, std::string_view trigger)
{
    std::array<char, 65536> buffer;
    const ssize_t size = read(from, buffer.data(), buffer.size());
    if (size <= 0)
        return false;
    const std::string_view chunk(buffer.data(), static_cast<size_t>(size));
    if (!trigger.empty() && chunk.find(trigger) != std::string_view::npos)
        return false;
    return write(to, chunk.data(), chunk.size()) == size;
}

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

void CuttingProxy::relay()
{
    const int client = listener_.next();
    if (client < 0)
        return;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in upstream = endpoint(kServerAddress);
    if (connect(server, reinterpret_cast<const sockaddr*>(&upstream), sizeof upstream) == 0) {
        pollfd fds[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {listener_.stopped(), POLLIN, 0}};
        while (poll(fds, 3, -1) > 0 && fds[2].revents == 0) {
            if (fds[0].revents != 0 && !pass(client, server, trigger_))
                break;
            if (fds[1].revents != 0 && !pass(server, client, {}))
                break;
        }
    }
    close(server);
    close(client);
}

}  // namespace testing_support
