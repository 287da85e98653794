// The configuration file on POSIX: where the program was built to look.
#include "app/cli/InstalledConfiguration.h"

#include "app/InstalledPaths.h"

namespace cli {

std::string installedConfigurationFile()
{
    return app::kInstalledConfigurationFile;
}

}  // namespace cli
