// Where the program's one setting, the server address, comes from.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace update {

struct ConfiguredServer {
    // "IP" of section "DATABASE" (UTF-8); "localhost" when the file, the section or the
    // key is missing; empty when the file cannot be read.
    std::string address;
    // Why the file that is there cannot be read; then no address was read at all.
    std::optional<std::string> unreadable;
    // The file is not there: "localhost" stands in, which only the installed file may
    // leave to it.
    bool fileMissing = false;
};

ConfiguredServer readConfiguredServer(const std::filesystem::path& file);

}  // namespace update
