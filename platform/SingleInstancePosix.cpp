// The instance claim elsewhere: a lock on a file in the user's own runtime folder, named
// after the display the window goes to, which is what a login session is to a window
// program here. The system drops the lock when the process ends, however it ends.
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A folder only this user can write to: $XDG_RUNTIME_DIR, else one of the user's own in
// /tmp, which must be the user's, a real folder and closed to everyone else.
std::optional<std::filesystem::path> userFolder()
{
    const std::string runtime = environmentValue("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/')
        return std::filesystem::path(runtime);
    const std::filesystem::path own = "/tmp/calendar-import-" + std::to_string(getuid());
    mkdir(own.c_str(), 0700);
    struct stat status {};
    if (lstat(own.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != getuid() ||
        (status.st_mode & 077) != 0)
        return std::nullopt;
    return own;
}

// The display's name as part of a file name: "/" and anything unusual become '_'.
std::string sessionKey()
{
    std::string display = environmentValue("DISPLAY");
    if (display.empty())
        display = environmentValue("WAYLAND_DISPLAY");
    for (char& c : display)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-'))
            c = '_';
    return display;
}

}  // namespace

InstanceClaim::InstanceClaim(const std::string& name)
{
    const std::optional<std::filesystem::path> folder = userFolder();
    if (!folder)
        return;
    const std::filesystem::path file = *folder / (name + "-" + sessionKey() + ".lock");
    const int descriptor = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return;
    native_ = descriptor;
    int result;
    do
        result = flock(descriptor, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    held_ = result == 0 || errno != EWOULDBLOCK;
}

InstanceClaim::~InstanceClaim()
{
    if (native_ != kNone)
        close(static_cast<int>(native_));
}

}  // namespace platform
