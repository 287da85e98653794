// Where login methods come from on Linux: the client library's own folder, its default.
#include "data/SessionOptions.h"

namespace data {

std::optional<std::string> loginPluginFolder()
{
    return std::nullopt;
}

}  // namespace data
