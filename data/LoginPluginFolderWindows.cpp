// Where login methods come from on Windows: the program's own folder and nowhere else.
#include "data/SessionOptions.h"

#include "platform/FilePath.h"
#include "platform/SharedLibrary.h"

namespace data {

// Without a folder the library would load "<name>.dll" by bare name, from wherever the
// system's search finds one: only the program's folder may supply one.
std::optional<std::string> loginPluginFolder()
{
    return platform::pathInSystemCodePage(platform::programFolder());
}

}  // namespace data
