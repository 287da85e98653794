// The round-robin balancer: one thread accepts, one thread per connection moves the bytes.
#include "tests/support/RoundRobinRelay.h"

#include "tests/support/RelaySockets.h"

#include <poll.h>
#include <unistd.h>

#include <array>

namespace testing_support {

namespace {

}  // namespace

RoundRobinRelay::RoundRobinRelay(std::string address, std::vector<std::string> backEnds, unsigned short port)
    : backEnds_(std::move(backEnds)), port_(port), listener_(address, port, 64)
{
    if (listener_.listening() && !backEnds_.empty())
        acceptor_ = std::thread([this] { acceptConnections(); });
}

RoundRobinRelay::~RoundRobinRelay()
{
    listener_.stop();
    if (acceptor_.joinable())
        acceptor_.join();
    for (std::thread& connection : connections_)
        connection.join();
}

std::vector<std::string> RoundRobinRelay::connectionsSentTo() const
{
    const std::lock_guard lock(mutex_);
    return sentTo_;
}

void RoundRobinRelay::acceptConnections()
{
    for (int client = listener_.next(); client >= 0; client = listener_.next()) {
        std::string backEnd;
        {
            const std::lock_guard lock(mutex_);
            backEnd = backEnds_[sentTo_.size() % backEnds_.size()];
            sentTo_.push_back(backEnd);
        }
        connections_.emplace_back([this, client, backEnd] { relay(client, backEnd); });
    }
}

// Until either side closes or the relay stops; the other side is then closed too.
void RoundRobinRelay::relay(int client, const std::string& backEnd)
{
    const int server = connectTo(backEnd, port_);
    if (server < 0) {
        close(client);
        return;
    }
    sendAtOnce(client);
    std::array<char, 65536> buffer{};
    for (;;) {
        pollfd fds[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {listener_.stopped(), POLLIN, 0}};
        if (poll(fds, 3, -1) < 0 || fds[2].revents != 0)
            break;
        const int from = fds[0].revents != 0 ? client : server;
        const int to = from == client ? server : client;
        const ssize_t size = read(from, buffer.data(), buffer.size());
        if (size <= 0 || !writeAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(size))))
            break;
    }
    close(server);
    close(client);
}

}  // namespace testing_support
