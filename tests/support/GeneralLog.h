// The test server's general query log: exactly what each session sent, byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// The folder the test server runs in: CALENDAR_TEST_SERVER_DIR, as built or from the
// environment.
std::filesystem::path testServerDir();

struct LoggedCommand {
    unsigned long thread;
    std::string command;   // "Connect", "Query", "Quit", ...
    std::string argument;  // the statement, for a Query
};

class GeneralLog {
public:
    // Remembers where the log ends now; later reads see only what follows.
    GeneralLog();

    std::vector<LoggedCommand> commandsSinceStart() const;
    // The statements of every session that logged in as `user` since the start, in order.
    std::vector<std::string> queriesBy(std::string_view user) const;
    // The same, each session's apart, the sessions in the order they logged in.
    std::vector<std::vector<std::string>> queriesBySession(std::string_view user) const;

private:
    std::filesystem::path path_;
    std::uintmax_t start_;
};

}  // namespace testing_support
