// Closed standard descriptors on POSIX, where the next open takes the lowest free number.
#include "app/cli/StandardDescriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace cli {

void openClosedStandardDescriptors()
{
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF)
            (void)open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    }
}

}  // namespace cli
