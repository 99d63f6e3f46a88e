#include "LinuxPortIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tarvik {

LinuxPortIo::LinuxPortIo(std::string devicePath) : devicePath_(std::move(devicePath)) {}

LinuxPortIo::~LinuxPortIo()
{
    if (fd_ >= 0)
        close(fd_);
}

bool LinuxPortIo::initialize()
{
    std::lock_guard lock(mutex_);
    if (fd_ >= 0)
        return true;
    fd_ = open(devicePath_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && !reportedFailure_) {
        // Once per process: the access layer retries eleven times and every library tries again.
        std::fprintf(stderr, "port I/O: cannot open %s: %s\n", devicePath_.c_str(), std::strerror(errno));
        reportedFailure_ = true;
    }
    return fd_ >= 0;
}

bool LinuxPortIo::readPort(std::uint16_t port, std::uint32_t* value)
{
    std::lock_guard lock(mutex_);
    unsigned char byte = 0;
    if (fd_ < 0 || pread(fd_, &byte, 1, port) != 1)
        return false;
    *value = byte;
    return true;
}

bool LinuxPortIo::writePort(std::uint16_t port, std::uint32_t value)
{
    std::lock_guard lock(mutex_);
    const unsigned char byte = static_cast<unsigned char>(value & 0xFFu);
    return fd_ >= 0 && pwrite(fd_, &byte, 1, port) == 1;
}

} // namespace tarvik
