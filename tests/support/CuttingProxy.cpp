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
    : address_(std::move(address)), trigger_(std::move(trigger))
{
    // Every socket closes on exec: a program under test may start Wine's server, which
    // outlives it and would otherwise keep the relay's address taken.
    listening_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(listening_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in local = endpoint(address_);
    if (bind(listening_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        listen(listening_, 1) != 0)
        ADD_FAILURE() << "the relay cannot listen on " << address_ << ":" << kServerPort;
    if (pipe(stopPipe_) != 0)
        ADD_FAILURE() << "no pipe for stopping the relay";
    thread_ = std::thread([this] { relay(); });
}

CuttingProxy::~CuttingProxy()
{
    (void)write(stopPipe_[1], "x", 1);
    thread_.join();
    for (int fd : {listening_, stopPipe_[0], stopPipe_[1]})
        close(fd);
}

void CuttingProxy::relay()
{
    pollfd waitForClient[] = {{listening_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    if (poll(waitForClient, 2, -1) <= 0 || waitForClient[1].revents != 0)
        return;
    const int client = accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in upstream = endpoint(kServerAddress);
    if (connect(server, reinterpret_cast<const sockaddr*>(&upstream), sizeof upstream) == 0) {
        pollfd fds[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
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
