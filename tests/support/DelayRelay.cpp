// The delaying relay: one thread accepts, one thread per session moves the bytes, each
// piece sent when its time has come (ppoll waits to the nanosecond).
#include "tests/support/DelayRelay.h"

#include "tests/support/RelaySockets.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <string_view>

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kListenPort = 3306;

struct Piece {
    Clock::time_point due;
    std::string bytes;
};

// One direction of a session: what has come in and waits for its time.
struct Direction {
    int from;
    int to;
    std::deque<Piece> waiting;
    bool open = true;
};

}  // namespace

DelayRelay::DelayRelay(std::string address, std::string upstream, std::chrono::microseconds delay,
                       std::string stallAt, unsigned short upstreamPort, bool cutAtText)
    : address_(std::move(address)),
      upstreams_(),
      upstreamPort_(upstreamPort),
      delay_(delay),
      stallAt_(std::move(stallAt)),
      cutAtText_(cutAtText),
      listener_(address_, kListenPort, 64)
{
    for (std::size_t start = 0; start <= upstream.size();) {
        const std::size_t comma = std::min(upstream.find(',', start), upstream.size());
        upstreams_.push_back(upstream.substr(start, comma - start));
        start = comma + 1;
    }
    if (!listener_.listening())
        return;
    acceptor_ = std::thread([this] { acceptSessions(); });
}

DelayRelay::~DelayRelay()
{
    listener_.stop();
    if (acceptor_.joinable())
        acceptor_.join();
    for (std::thread& session : sessions_)
        session.join();
}

void DelayRelay::acceptSessions()
{
    for (int client = listener_.next(); client >= 0; client = listener_.next()) {
        latestSessionAt_ = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string& upstream = upstreams_[sessionCount_++ % upstreams_.size()];
        sessions_.emplace_back([this, client, upstream] { relaySession(client, upstream); });
    }
}

void DelayRelay::relaySession(int client, const std::string& upstreamAddress)
{
    const int server = connectTo(upstreamAddress, upstreamPort_);
    if (server < 0) {
        close(client);
        return;
    }
    sendAtOnce(client);
    std::array<Direction, 2> directions = {Direction{client, server, {}}, Direction{server, client, {}}};
    bool stalled = false;
    std::array<char, 65536> buffer{};
    while (directions[0].open || directions[1].open || !directions[0].waiting.empty() ||
           !directions[1].waiting.empty()) {
        // Wake for new bytes, for the stop, or when the next piece is due.
        std::optional<Clock::time_point> next;
        for (const Direction& direction : directions) {
            if (!direction.waiting.empty() && (!next || direction.waiting.front().due < *next))
                next = direction.waiting.front().due;
        }
        timespec timeout{};
        if (next) {
            const auto left = std::max(Clock::duration::zero(), *next - Clock::now());
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
            timeout.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
        }
        pollfd fds[] = {{directions[0].open ? client : -1, POLLIN, 0},
                        {directions[1].open ? server : -1, POLLIN, 0},
                        {listener_.stopped(), POLLIN, 0}};
        if (ppoll(fds, 3, next ? &timeout : nullptr, nullptr) < 0 || fds[2].revents != 0)
            break;
        bool cut = false;
        for (std::size_t i = 0; i < directions.size() && !cut; ++i) {
            Direction& direction = directions[i];
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t size = read(direction.from, buffer.data(), buffer.size());
            if (size <= 0) {
                direction.open = false;
                continue;
            }
            std::string bytes(buffer.data(), static_cast<std::size_t>(size));
            if (stalled)
                continue;
            // What came before the text still goes on: a server's answer cut in the middle.
            if (const std::size_t at = stallAt_.empty() ? std::string::npos : bytes.find(stallAt_);
                at != std::string::npos) {
                stalled = true;
                bytes.resize(at);
                cut = cutAtText_;
                if (cut)
                    break;
            }
            direction.waiting.push_back({Clock::now() + delay_, std::move(bytes)});
        }
        if (cut)
            break;
        const Clock::time_point now = Clock::now();
        for (Direction& direction : directions) {
            while (!direction.waiting.empty() && direction.waiting.front().due <= now) {
                if (!writeAll(direction.to, direction.waiting.front().bytes))
                    direction.open = false;
                direction.waiting.pop_front();
            }
        }
        // A side that closed ends the session once what it sent has gone on.
        if ((!directions[0].open && directions[0].waiting.empty()) ||
            (!directions[1].open && directions[1].waiting.empty()))
            break;
    }
    close(server);
    close(client);
}

}  // namespace testing_support
