#include "PrivateFolder.h"

#include "Platform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik {

namespace {

constexpr mode_t kOwnerOnly = 0700;
constexpr mode_t kOthersBits = 0077;

std::string failure(const std::string& path, const char* what)
{
    return "<" + path + "> " + what + ": " + std::strerror(errno);
}

} // namespace

std::optional<std::string> makePrivateFolder(const std::string& path)
{
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0) {
        if (errno != ENOENT)
            return failure(path, "cannot be examined");
        // EEXIST: made by someone else meanwhile; it is examined like any folder found.
        if (mkdir(path.c_str(), kOwnerOnly) != 0 && errno != EEXIST)
            return failure(path, "cannot be made");
        if (lstat(path.c_str(), &link) != 0)
            return failure(path, "cannot be examined");
    }
    if (S_ISLNK(link.st_mode))
        return "<" + path + "> is a symbolic link, not a folder of this user";
    if (!S_ISDIR(link.st_mode))
        return "<" + path + "> is not a folder";
    if (link.st_uid != getuid())
        return "<" + path + "> belongs to user " + std::to_string(link.st_uid) + ", not to this user (" +
               std::to_string(getuid()) + ")";
    // The mode is changed through a descriptor of the very folder examined: a folder swapped for a
    // link in between is not followed.
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return failure(path, "cannot be opened");
    struct stat opened {};
    std::optional<std::string> problem;
    if (fstat(fd, &opened) != 0)
        problem = failure(path, "cannot be examined");
    else if (opened.st_dev != link.st_dev || opened.st_ino != link.st_ino || opened.st_uid != getuid())
        problem = "<" + path + "> was replaced while it was examined";
    else if ((opened.st_mode & kOthersBits) != 0 && fchmod(fd, kOwnerOnly) != 0)
        problem = failure(path, "cannot be closed to other users");
    close(fd);
    return problem;
}

std::optional<std::string> makeRuntimeFolder() { return makePrivateFolder(Platform::runtimeDir()); }

} // namespace tarvik
