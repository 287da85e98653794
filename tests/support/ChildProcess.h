// Runs a program to its end with arguments and environment changes, and keeps what it
// wrote; the same on Linux and Windows, without a toolkit.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct ChildResult {
    int exitStatus = -1;  // -1 when the program could not be started or did not exit
    std::string out;
    std::string err;
};

struct ChildOptions {
    // Variables set (a value) or removed (nullopt) for the child only.
    std::map<std::string, std::optional<std::string>> environment;
    // Standard input; the child reads end-of-file after it.
    std::string input;
    // The child's current folder; empty: the caller's (POSIX only).
    std::string workingDirectory;
};

ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const ChildOptions& options = {});

#if !defined(_WIN32)
// posix_spawn's argv and envp: `program` and `arguments`, and the "NAME=value" entries of
// `environment`. They point into the strings given, which must outlive them.
struct SpawnVectors {
    std::vector<char*> argv;
    std::vector<char*> envp;
};
SpawnVectors spawnVectors(const std::string& program, const std::vector<std::string>& arguments,
                          std::vector<std::string>& environment);
#endif

// The lines of `text`, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

}  // namespace testing_support
