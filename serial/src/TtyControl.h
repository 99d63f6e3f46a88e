#pragma once

#include "LineErrorCounters.h"

#include <cstdint>

// The few tty operations the port classes need, on an open descriptor. Kept in one file because
// speeds other than the standard ones need the kernel's termios2 record, whose header cannot be
// included together with <termios.h>. Every function returns false when the driver refuses.
namespace ttycontrol {

// True when fd is a terminal device.
bool isTerminal(int fd);

// Raw mode with the receiver on and modem-status lines ignored, no flow control: what a Windows
// serial port is without asking. Reads are made immediate (VMIN = VTIME = 0).
bool makeRaw(int fd);

// 8 data bits, no parity, one stop bit at `baud`, both directions. True only when the driver reads
// back that exact speed and frame.
bool applyLine(int fd, std::uint32_t baud);

// Discards what is queued on the chosen sides.
bool purge(int fd, bool receive, bool transmit);

// Bytes waiting in the receive queue.
bool receiveQueue(int fd, std::uint32_t& bytes);

// The driver's line-error counters; false where the driver keeps none (ptys, many USB adapters).
bool errorCounters(int fd, LineErrorCounters& counters);

} // namespace ttycontrol
