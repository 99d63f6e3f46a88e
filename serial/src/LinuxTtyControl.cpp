#include "LinuxTtyControl.h"

// Only the kernel's own termios records here: <termios.h> would clash with them.
#include <asm/termbits.h>
#include <cerrno>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace {

bool getState(int fd, termios2& t)
{
    return ioctl(fd, TCGETS2, &t) == 0;
}

// The standard rates keep their classic code, so that programs reading the speed through the old
// termios calls see it; any other rate goes as a number (BOTHER).
tcflag_t speedCode(std::uint32_t baud)
{
    static constexpr struct {
        std::uint32_t baud;
        tcflag_t code;
    } kStandard[] = {
        {50, B50},         {75, B75},           {110, B110},         {134, B134},         {150, B150},
        {200, B200},       {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
        {2400, B2400},     {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
        {57600, B57600},   {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& s : kStandard) {
        if (s.baud == baud)
            return s.code;
    }
    return BOTHER;
}

bool setState(int fd, const termios2& t)
{
    int r;
    do {
        r = ioctl(fd, TCSETS2, &t);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

} // namespace

bool LinuxTtyControl::isTerminal(int fd)
{
    termios2 t{};
    return getState(fd, t);
}

bool LinuxTtyControl::makeRaw(int fd)
{
    termios2 t{};
    if (!getState(fd, t))
        return false;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return setState(fd, t);
}

bool LinuxTtyControl::applyLine(int fd, std::uint32_t baud)
{
    termios2 t{};
    if (!getState(fd, t))
        return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
    // No input-speed bits: input runs at the output speed (also for programs that look at the line
    // through the old termios calls, which set only that one).
    t.c_cflag |= CS8 | speedCode(baud);
    t.c_ospeed = baud;
    t.c_ispeed = baud;
    if (!setState(fd, t))
        return false;
    // The call succeeds when the driver took any part of the request; a driver that cannot run at
    // the speed substitutes another, which only the read-back shows.
    termios2 back{};
    if (!getState(fd, back))
        return false;
    return back.c_ospeed == baud && back.c_ispeed == baud && (back.c_cflag & CSIZE) == CS8 &&
           (back.c_cflag & (PARENB | CSTOPB)) == 0;
}

bool LinuxTtyControl::setExclusive(int fd, bool exclusive)
{
    return ioctl(fd, exclusive ? TIOCEXCL : TIOCNXCL) == 0;
}

bool LinuxTtyControl::purge(int fd, bool receive, bool transmit)
{
    if (!receive && !transmit)
        return true;
    const int which = receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH;
    return ioctl(fd, TCFLSH, which) == 0;
}

bool LinuxTtyControl::receiveQueue(int fd, std::uint32_t& bytes)
{
    int queued = 0;
    if (ioctl(fd, FIONREAD, &queued) != 0 || queued < 0)
        return false;
    bytes = static_cast<std::uint32_t>(queued);
    return true;
}

bool LinuxTtyControl::errorCounters(int fd, LineErrorCounters& counters)
{
    serial_icounter_struct c{};
    if (ioctl(fd, TIOCGICOUNT, &c) != 0)
        return false;
    counters.frame = static_cast<std::uint32_t>(c.frame);
    counters.overrun = static_cast<std::uint32_t>(c.overrun);
    counters.parity = static_cast<std::uint32_t>(c.parity);
    counters.brk = static_cast<std::uint32_t>(c.brk);
    counters.bufferOverrun = static_cast<std::uint32_t>(c.buf_overrun);
    return true;
}
