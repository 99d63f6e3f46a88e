#pragma once

#include "TtyControl.h"

// The kernel's tty driver, through the termios2 ioctls, so that speeds other than the standard
// ones can be set. Its source includes the kernel's termios records, which cannot be included
// together with <termios.h>; nothing else should.
class LinuxTtyControl final : public TtyControl {
public:
    bool isTerminal(int fd) override;
    bool makeRaw(int fd) override;
    bool applyLine(int fd, std::uint32_t baud) override;
    bool setExclusive(int fd, bool exclusive) override;
    bool purge(int fd, bool receive, bool transmit) override;
    bool receiveQueue(int fd, std::uint32_t& bytes) override;
    bool errorCounters(int fd, LineErrorCounters& counters) override;
};
