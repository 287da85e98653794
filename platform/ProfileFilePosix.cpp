// The profile reader on Linux: the file read here, by the Windows reader's rules.
#include "platform/ProfileFile.h"
#include "platform/ProfileReading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

struct DescriptorCloser {
    int descriptor;
    ~DescriptorCloser() { ::close(descriptor); }
};

bool isMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

}  // namespace

// Opens without waiting (a FIFO would block a plain open) and reads only a regular
// file: a device such as /dev/zero never ends.
std::optional<std::string> readProfilePieces(const std::filesystem::path& file, bool& missing,
                                             const PieceConsumer& consume)
{
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        missing = isMissing(errno);
        return missing ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    }
    const DescriptorCloser closer{descriptor};
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return std::string(std::strerror(errno));
    if (S_ISDIR(status.st_mode))
        return std::string(std::strerror(EISDIR));
    if (!S_ISREG(status.st_mode))
        return std::string("Not a regular file");

    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::string(std::strerror(errno));
        if (count == 0 || !consume(std::string_view(buffer.data(), static_cast<std::size_t>(count))))
            return std::nullopt;
    }
}

ProfileValue readProfileString(const std::filesystem::path& file, std::string_view section,
                               std::string_view key, std::string_view defaultValue)
{
    return readProfileFollowingRules(file, section, key, defaultValue);
}

}  // namespace platform
