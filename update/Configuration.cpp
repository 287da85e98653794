// Reading the server address from the configuration file.
#include "update/Configuration.h"

#include "platform/ProfileFile.h"

namespace update {

namespace {

constexpr const char kSection[] = "DATABASE";
constexpr const char kKey[] = "IP";
constexpr const char kDefaultServer[] = "localhost";

}  // namespace

std::string configuredServerAddress(const std::filesystem::path& file)
{
    return platform::readProfileString(file, kSection, kKey, kDefaultServer);
}

}  // namespace update
