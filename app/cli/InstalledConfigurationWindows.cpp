// The configuration file on Windows: the business application's, as it reads it.
#include "app/cli/InstalledConfiguration.h"

#include "app/InstalledPaths.h"
#include "platform/VirtualStore.h"

namespace cli {

std::string installedConfigurationFile()
{
    return platform::fileReadByLegacyProgram(app::kInstalledConfigurationFile);
}

}  // namespace cli
