#include "UnixServiceControl.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarvik {

namespace {

constexpr mode_t kOwnerOnlyFolder = 0700;

int fillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return ENAMETOOLONG;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return 0;
}

class UnixEndpoint final : public ServiceEndpoint {
public:
    UnixEndpoint(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~UnixEndpoint() override
    {
        close(fd_);
        unlink(path_.c_str());
    }

    std::optional<std::uint32_t> receive(unsigned timeoutMs) override
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(timeoutMs)) <= 0)
            return std::nullopt;
        std::uint32_t code = 0;
        // A datagram of any other size is not a control; it is dropped whole.
        const ssize_t n = recv(fd_, &code, sizeof code, MSG_TRUNC | MSG_DONTWAIT);
        if (n != static_cast<ssize_t>(sizeof code))
            return std::nullopt;
        return code;
    }

private:
    int fd_;
    std::string path_;
};

} // namespace

UnixServiceControl::UnixServiceControl(std::string folder) : folder_(std::move(folder)) {}

std::string UnixServiceControl::socketPath(const std::string& name) const { return folder_ + "/" + name + ".sock"; }

int UnixServiceControl::openManager()
{
    struct stat st {};
    if (stat(folder_.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return access(folder_.c_str(), X_OK) == 0 ? 0 : errno;
}

int UnixServiceControl::connectTo(const std::string& name, int& fd) const
{
    if (name.empty() || name.find('/') != std::string::npos)
        return EINVAL;
    sockaddr_un address{};
    if (const int error = fillAddress(socketPath(name), address); error != 0)
        return error;
    fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        fd = -1;
        return error;
    }
    return 0;
}

int UnixServiceControl::openService(const std::string& name)
{
    int fd = -1;
    const int error = connectTo(name, fd);
    if (fd >= 0)
        close(fd);
    return error;
}

int UnixServiceControl::control(const std::string& name, std::uint32_t code)
{
    int fd = -1;
    if (const int error = connectTo(name, fd); error != 0)
        return error;
    const ssize_t n = send(fd, &code, sizeof code, MSG_DONTWAIT | MSG_NOSIGNAL);
    const int error = n < 0 ? errno : 0;
    close(fd);
    return error;
}

std::unique_ptr<ServiceEndpoint> UnixServiceControl::listen(const std::string& name, int& error)
{
    if (name.empty() || name.find('/') != std::string::npos) {
        error = EINVAL;
        return nullptr;
    }
    if (mkdir(folder_.c_str(), kOwnerOnlyFolder) != 0 && errno != EEXIST) {
        error = errno;
        return nullptr;
    }
    const std::string path = socketPath(name);
    sockaddr_un address{};
    if ((error = fillAddress(path, address)) != 0)
        return nullptr;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    // A socket left by a service that crashed; a running one would still answer a connect.
    if (openService(name) == 0) {
        close(fd);
        error = EADDRINUSE;
        return nullptr;
    }
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        close(fd);
        return nullptr;
    }
    return std::make_unique<UnixEndpoint>(fd, path);
}

} // namespace tarvik
