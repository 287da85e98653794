// Running the console program from the tests: to its end with its output kept, or in the
// background with its output in files, and throwaway servers of its own beside the suite's.
#pragma once

#include "tests/cli/CliProgram.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli_testing {

// Runs the program through the shell with `redirections` (e.g. ">&-") after its arguments.
CliResult runCliRedirected(const Arguments& arguments, const std::string& redirections);

std::vector<std::string> linesOfFile(const std::filesystem::path& file);

// The program in the background, its standard output and error into files.
class RunningCli {
public:
    RunningCli(const Arguments& arguments, const std::filesystem::path& out, const std::filesystem::path& err);
    ~RunningCli();
    RunningCli(const RunningCli&) = delete;
    RunningCli& operator=(const RunningCli&) = delete;

    // Waits until `file` has a line starting with `prefix`; false when the program ended first.
    bool waitForLine(const std::filesystem::path& file, const std::string& prefix);
    void signal(int number);
    // Its exit status, or 128 plus the signal that ended it.
    int wait();

private:
    int pid_ = -1;
    std::optional<int> status_;
};

// A throwaway server of a test's own, on its own loopback address and socket, in `dir`.
class ExtraServer {
public:
    ExtraServer(std::string address, std::filesystem::path dir, const std::vector<std::string>& options = {});
    ~ExtraServer();
    ExtraServer(const ExtraServer&) = delete;
    ExtraServer& operator=(const ExtraServer&) = delete;

    bool started() const { return started_; }
    const std::string& address() const { return address_; }
    // Runs SQL as root over the socket; the result's rows as tab-separated lines.
    std::vector<std::string> sql(const std::string& statements);
    // Tenant databases whose calendar table has a key, with INSERT for the program's account.
    void createTenants(const std::vector<std::string>& names);
    std::size_t calendarRowCount(const std::string& name);
    void kill();

private:
    int script(const std::string& command, const std::vector<std::string>& options = {});

    std::string address_;
    std::filesystem::path dir_;
    std::filesystem::path socket_;
    bool started_ = false;
};

}  // namespace cli_testing
