// The configuration file the program reads when no --config names another.
#pragma once

#include <string>

namespace cli {

// The installed configuration file (app::kInstalledConfigurationFile), or on Windows the
// per-user copy that the business application reads in its place when it runs without
// administrator rights. UTF-8. (One file per system.)
std::string installedConfigurationFile();

}  // namespace cli
