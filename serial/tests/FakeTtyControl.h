#pragma once

#include "TtyControl.h"

#include <mutex>
#include <vector>

namespace tarvik::test {

// The kernel's tty driver with what a pseudo-terminal lacks. Every call goes to the real driver
// except where a test control says otherwise:
//   countLineErrors()     the driver keeps line-error counters (a pty keeps none), which
//                         raiseLineError() makes grow, as a UART does on a framing error;
//   acceptAnyDescriptor() any open file passes for a terminal that takes every setting (a device
//                         the port can open but not wait on);
// and every purge is recorded with its sides. Installed in front of the kernel's driver for the
// ports constructed while it lives.
class FakeTtyControl final : public TtyControl {
public:
    struct Purge {
        bool receive;
        bool transmit;
        bool operator==(const Purge&) const = default;
    };

    FakeTtyControl();
    ~FakeTtyControl() override;
    FakeTtyControl(const FakeTtyControl&) = delete;
    FakeTtyControl& operator=(const FakeTtyControl&) = delete;

    void countLineErrors();
    void raiseLineError(std::uint32_t LineErrorCounters::*counter);
    void acceptAnyDescriptor();
    std::vector<Purge> purges() const;
    void forgetPurges();

    bool isTerminal(int fd) override;
    bool makeRaw(int fd) override;
    bool applyLine(int fd, std::uint32_t baud) override;
    bool setExclusive(int fd, bool exclusive) override;
    bool purge(int fd, bool receive, bool transmit) override;
    bool receiveQueue(int fd, std::uint32_t& bytes) override;
    bool errorCounters(int fd, LineErrorCounters& counters) override;

private:
    TtyControl& kernel_;
    mutable std::mutex mutex_;
    bool counting_ = false;
    bool anyDescriptor_ = false;
    LineErrorCounters counters_;
    std::vector<Purge> purges_;
};

} // namespace tarvik::test
