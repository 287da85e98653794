// Run-time library loading: what both systems share.
#include "platform/SharedLibrary.h"

namespace platform {

SharedLibrary::SharedLibrary(void* handle, std::string fileName)
    : handle_(handle), fileName_(std::move(fileName))
{
}

std::optional<SharedLibrary> SharedLibrary::loadFirst(const std::vector<std::string>& names,
                                                      std::string* failures)
{
    for (const std::string& name : names) {
        std::string reason;
        if (void* handle = open(name, reason))
            return SharedLibrary(handle, name);
        if (failures) {
            if (!failures->empty())
                failures->append("; ");
            failures->append(reason);
        }
    }
    return std::nullopt;
}

}  // namespace platform
