// Reading the server address from the configuration file.
#include "update/Configuration.h"

#include "platform/ProfileFile.h"

namespace update {

namespace {

constexpr const char kSection[] = "DATABASE";
constexpr const char kKey[] = "IP";
constexpr const char kDefaultServer[] = "localhost";

}  // namespace

ConfiguredServer readConfiguredServer(const std::filesystem::path& file)
{
    platform::ProfileValue entry = platform::readProfileString(file, kSection, kKey, kDefaultServer);
    if (entry.source == platform::ProfileValue::Source::Unreadable)
        return {{}, std::move(entry.problem)};
    return {std::move(entry.value), std::nullopt, entry.source == platform::ProfileValue::Source::FileMissing};
}

}  // namespace update
