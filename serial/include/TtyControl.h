#pragma once

#include "LineErrorCounters.h"

#include <cstdint>

// The tty operations the port classes need, on an open descriptor. Every method returns false when
// the driver refuses; none reports a message.
class TtyControl {
public:
    virtual ~TtyControl() = default;

    // True when fd is a terminal device.
    virtual bool isTerminal(int fd) = 0;

    // Raw mode with the receiver on and modem-status lines ignored, no flow control: what a Windows
    // serial port is without asking. Reads are made immediate (VMIN = VTIME = 0).
    virtual bool makeRaw(int fd) = 0;

    // 8 data bits, no parity, one stop bit at `baud`, both directions. True only when the driver
    // reads back that exact speed and frame.
    virtual bool applyLine(int fd, std::uint32_t baud) = 0;

    // Marks the tty for exclusive use, so that further opens fail for everyone but root, or clears
    // the mark. The mark is the tty's: it outlives the descriptor unless cleared.
    virtual bool setExclusive(int fd, bool exclusive) = 0;

    // Discards what is queued on the chosen sides.
    virtual bool purge(int fd, bool receive, bool transmit) = 0;

    // Bytes waiting in the receive queue.
    virtual bool receiveQueue(int fd, std::uint32_t& bytes) = 0;

    // The driver's line-error counters; false where the driver keeps none (ptys, many USB adapters).
    virtual bool errorCounters(int fd, LineErrorCounters& counters) = 0;
};

// The tty driver behind the port classes of this library (each library that compiles them in has its
// own): the kernel's, unless a test put another in front. A port takes it when it is constructed.
TtyControl& ttyControl();

// Puts control in front of the kernel's for ports constructed from now on, until called again with
// nullptr (tests only). The caller keeps it alive as long as a port made with it exists.
void overrideTtyControl(TtyControl* control);
