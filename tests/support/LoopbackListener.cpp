// The tests' loopback listener on plain POSIX sockets.
#include "tests/support/LoopbackListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_support {

LoopbackListener::LoopbackListener(const std::string& address, unsigned short port, int backlog)
{
    if (pipe2(stopPipe_, O_CLOEXEC) != 0)
        return;
    const int listening = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    if (bind(listening, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        listen(listening, backlog) != 0) {
        close(listening);
        return;
    }
    socket_ = listening;
}

LoopbackListener::~LoopbackListener()
{
    for (int fd : {socket_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0)
            close(fd);
    }
}

int LoopbackListener::next()
{
    while (listening()) {
        pollfd waiting[] = {{socket_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(waiting, 2, -1) <= 0 || waiting[1].revents != 0)
            return -1;
        const int client = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            return client;
    }
    return -1;
}

void LoopbackListener::stop()
{
    if (stopPipe_[1] >= 0)
        (void)!write(stopPipe_[1], "x", 1);
}

}  // namespace testing_support
