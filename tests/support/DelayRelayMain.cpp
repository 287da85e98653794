// delay-relay ADDRESS UPSTREAM MICROSECONDS: the delaying relay as a program of its own,
// for the benchmark; it runs until it is stopped with SIGINT or SIGTERM.
#include "tests/support/DelayRelay.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: delay-relay ADDRESS UPSTREAM MICROSECONDS (listens on ADDRESS:3306)\n");
        return 64;
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    testing_support::DelayRelay relay(argv[1], argv[2], std::chrono::microseconds(std::atoll(argv[3])));
    if (!relay.listening()) {
        std::fprintf(stderr, "delay-relay: cannot listen on %s:3306\n", argv[1]);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
