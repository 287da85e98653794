// round-robin-relay ADDRESS BACKEND...: the balancer as a program of its own, for a run of
// the program by hand or from a script against a fleet; it runs until it is stopped with
// SIGINT or SIGTERM.
#include "tests/support/RoundRobinRelay.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>
#include <pthread.h>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: round-robin-relay ADDRESS BACKEND... (all on port 3306)\n");
        return 64;
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    testing_support::RoundRobinRelay relay(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    if (!relay.listening()) {
        std::fprintf(stderr, "round-robin-relay: cannot listen on %s:3306\n", argv[1]);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
