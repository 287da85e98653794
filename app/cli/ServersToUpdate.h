// Which servers a run updates: those named on the command line or in a hosts file, or the
// one the configuration file gives.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/Terminal.h"

#include <cstdio>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace cli {

// The configuration file that gave the address, for the report.
struct ConfigurationRead {
    std::string file;
    bool fileExists = false;
};

struct ServerList {
    std::vector<std::string> hosts;  // UTF-8, each once
    // When the address came from the configuration file.
    std::optional<ConfigurationRead> configuration;
};

// The servers to update, each once, in the order given: --host, then --hosts-file; with
// neither, the address in the configuration file (--config's, else `installedFile`). A
// failure is said in one line on `err` and gives its exit status.
std::variant<ServerList, int> serversToUpdate(const Terminal& terminal, const CommandLine& commandLine,
                                              const std::string& installedFile, std::FILE* err);

}  // namespace cli
