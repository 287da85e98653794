// The holding relay on plain POSIX sockets: one thread, one session.
#include "tests/support/HoldingRelay.h"

#include "tests/support/RelaySockets.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>

namespace testing_support {

namespace {

constexpr std::uint16_t kPort = 3306;
constexpr char kServerAddress[] = "127.0.0.1";
// A packet's header: three bytes of length, one of sequence; a command's first byte
// follows it.
constexpr std::size_t kHeader = 4;
constexpr unsigned char kQueryCommand = 0x03;

}  // namespace

HoldingRelay::HoldingRelay(std::string address, std::string holdAtText)
    : holdAtText_(std::move(holdAtText)), listener_(address, kPort, 1)
{
    if (!listener_.listening() || pipe2(wake_, O_CLOEXEC) != 0)
        return;
    thread_ = std::thread([this] { relay(); });
}

HoldingRelay::~HoldingRelay()
{
    listener_.stop();
    if (thread_.joinable())
        thread_.join();
    for (int fd : wake_) {
        if (fd >= 0)
            close(fd);
    }
}

void HoldingRelay::holdAnswers()
{
    const std::lock_guard<std::mutex> guard(lock_);
    holding_ = true;
}

void HoldingRelay::release()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        released_ = true;
    }
    (void)!write(wake_[1], "x", 1);
}

std::size_t HoldingRelay::waitForQueries(std::size_t count, std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> guard(lock_);
    queryPassed_.wait_for(guard, limit, [&] { return queriesHeld_ >= count; });
    return queriesHeld_;
}

std::size_t HoldingRelay::queriesAfterQuiet(std::chrono::milliseconds quiet)
{
    std::unique_lock<std::mutex> guard(lock_);
    for (std::size_t seen = queriesHeld_;; seen = queriesHeld_) {
        if (!queryPassed_.wait_for(guard, quiet, [&] { return queriesHeld_ != seen; }))
            return queriesHeld_;
    }
}

void HoldingRelay::readProgramBytes(std::string_view bytes)
{
    partial_.append(bytes);
    std::size_t at = 0;
    std::size_t queries = 0;
    while (partial_.size() - at >= kHeader + 1) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(partial_[at + i]); };
        const std::size_t length = byte(0) | byte(1) << 8 | byte(2) << 16;
        if (partial_.size() - at < kHeader + length)
            break;
        if (byte(kHeader) == kQueryCommand) {
            const std::string_view text(partial_.data() + at + kHeader + 1, length - 1);
            const std::lock_guard<std::mutex> guard(lock_);
            holding_ = holding_ || (!holdAtText_.empty() && text.find(holdAtText_) != std::string_view::npos);
            queries += holding_ ? 1 : 0;
        }
        at += kHeader + length;
    }
    partial_.erase(0, at);
    if (queries != 0) {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            queriesHeld_ += queries;
        }
        queryPassed_.notify_all();
    }
}

void HoldingRelay::relay()
{
    const int client = listener_.next();
    if (client < 0)
        return;
    const int server = connectTo(kServerAddress, kPort);
    sendAtOnce(client);
    std::string held;
    if (server >= 0) {
        std::array<char, 65536> buffer{};
        pollfd fds[] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {wake_[0], POLLIN, 0}, {listener_.stopped(), POLLIN, 0}};
        while (poll(fds, 4, -1) > 0 && fds[3].revents == 0) {
            if (fds[2].revents != 0)
                (void)!read(wake_[0], buffer.data(), buffer.size());
            if (fds[0].revents != 0) {
                const ssize_t size = read(client, buffer.data(), buffer.size());
                if (size <= 0)
                    break;
                const std::string_view bytes(buffer.data(), static_cast<std::size_t>(size));
                readProgramBytes(bytes);
                if (!writeAll(server, bytes))
                    break;
            }
            if (fds[1].revents != 0) {
                const ssize_t size = read(server, buffer.data(), buffer.size());
                if (size <= 0)
                    break;
                held.append(buffer.data(), static_cast<std::size_t>(size));
            }
            bool pass = false;
            {
                const std::lock_guard<std::mutex> guard(lock_);
                pass = !holding_ || released_;
            }
            if (pass && !held.empty()) {
                if (!writeAll(client, held))
                    break;
                held.clear();
            }
        }
    }
    close(server);
    close(client);
}

}  // namespace testing_support
