// Where the program's one setting, the server address, comes from.
#pragma once

#include <filesystem>
#include <string>

namespace update {

// The configuration file's fixed place, chosen when the program is built. Each program
// links the definition with its place (see the target config_path_installed); the tests
// link one that points into the build folder.
std::filesystem::path configurationFilePath();

// "IP" of section "DATABASE" in `file` (Windows-1250 bytes), "localhost" when the file,
// the section or the key is missing.
std::string configuredServerAddress(const std::filesystem::path& file);

}  // namespace update
