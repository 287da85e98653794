// The configuration file's place, fixed when the program is built (QUORVEL_INI_PATH).
#include "update/Configuration.h"

namespace update {

std::filesystem::path configurationFilePath()
{
    return QUORVEL_INI_PATH;
}

}  // namespace update
