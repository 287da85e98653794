// Running the console program from the tests and reading what it wrote, the same on
// every platform (under Wine too, through the launcher).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli_testing {

struct CliResult {
    int exitStatus = -1;
    std::vector<std::string> out;  // lines
    std::vector<std::string> err;
};

using Arguments = std::vector<std::string>;
// Variables set (a value) or removed (nullopt) for the program only.
using Environment = std::map<std::string, std::optional<std::string>>;

// Runs the program to its end in the C.UTF-8 locale unless `environment` says otherwise.
CliResult runCli(const Arguments& arguments, Environment environment = {});

// A run's counts as a summary gives them.
struct Counts {
    std::size_t listed = 0;
    std::size_t updated = 0;
    std::size_t alreadyThere = 0;
    std::size_t skipped = 0;
    std::size_t unknown = 0;
    std::size_t notReached = 0;
};

// "Celkem databází: ..." as the program writes it for a run that sends.
std::string summary(const Counts& counts);

bool contains(const std::vector<std::string>& lines, const std::string& line);
std::size_t countStartingWith(const std::vector<std::string>& lines, const std::string& prefix);
// How many of `lines` hold `part` anywhere.
std::size_t linesWith(const std::vector<std::string>& lines, const std::string& part);

}  // namespace cli_testing
