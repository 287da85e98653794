// The open-files limit on POSIX: the soft limit up to the hard one.
#include "platform/OpenFiles.h"

#include <sys/resource.h>

namespace platform {

void raiseOpenFilesLimit() noexcept
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    // Refused (a system that caps it lower): the sessions past the old limit fail to
    // connect and say so, each reported as not connected.
    (void)setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace platform
