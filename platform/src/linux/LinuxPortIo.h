#pragma once

#include "PortIo.h"

#include <mutex>
#include <string>

namespace tarvik {

// Raw port access through /dev/port (needs root or CAP_SYS_RAWIO): the byte at offset N is port N.
class LinuxPortIo final : public PortIo {
public:
    explicit LinuxPortIo(std::string devicePath = "/dev/port");
    ~LinuxPortIo() override;

    bool initialize() override;
    bool readPort(std::uint16_t port, std::uint32_t* value) override;
    bool writePort(std::uint16_t port, std::uint32_t value) override;

private:
    std::string devicePath_;
    std::mutex mutex_;
    int fd_ = -1;
    bool reportedFailure_ = false;
};

} // namespace tarvik
