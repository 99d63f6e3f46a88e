#include "PtyLink.h"

// The kernel's termios2 (any baud rate); <termios.h> would clash with it, so no openpty here.
#include <asm/termbits.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvik::board::gps {

namespace {

// Common rates keep their classic code, so that a program reading the speed through the old
// termios calls (stty, for one) sees it; others go as a number.
tcflag_t speedCode(unsigned baud)
{
    static constexpr struct {
        unsigned baud;
        tcflag_t code;
    } kCodes[] = {{1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
                  {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}};
    for (const auto& c : kCodes) {
        if (c.baud == baud)
            return c.code;
    }
    return BOTHER;
}

void setSpeed(termios2& t, unsigned baud)
{
    // No input-speed bits: the input runs at the output speed, which is also what a program that
    // sets only one speed through the old calls gets.
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= speedCode(baud);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
}

bool rawAt(int fd, unsigned baud)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    setSpeed(t, baud);
    // Blocking reads wait for a byte, as on a serial port just opened (so `cat COM3` works).
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &t) == 0;
}

std::string why(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

} // namespace

PtyLink::~PtyLink()
{
    unlink();
    if (device_ >= 0)
        ::close(device_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyLink::open(unsigned baud, std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = why("cannot make a pseudo-terminal");
        return false;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        error = why("cannot name the pseudo-terminal");
        return false;
    }
    devicePath_ = name;
    device_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device_ < 0 || !rawAt(device_, baud)) {
        error = why(("cannot set up " + devicePath_).c_str());
        return false;
    }
    return true;
}

bool PtyLink::link(const std::string& linkPath, std::string& error)
{
    const std::string temporary = linkPath + ".new";
    ::unlink(temporary.c_str());
    if (symlink(devicePath_.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), linkPath.c_str()) != 0) {
        error = why(("cannot link " + linkPath).c_str());
        ::unlink(temporary.c_str());
        return false;
    }
    if (!linkPath_.empty() && linkPath_ != linkPath)
        unlink();
    linkPath_ = linkPath;
    return true;
}

void PtyLink::unlink()
{
    if (linkPath_.empty())
        return;
    char target[256];
    const ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == devicePath_)
        ::unlink(linkPath_.c_str());
    linkPath_.clear();
}

unsigned PtyLink::hostBaud() const
{
    termios2 t{};
    if (ioctl(device_, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}

bool PtyLink::setBaud(unsigned baud)
{
    termios2 t{};
    if (ioctl(device_, TCGETS2, &t) != 0)
        return false;
    setSpeed(t, baud);
    return ioctl(device_, TCSETS2, &t) == 0;
}

std::size_t PtyLink::write(std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            break;
    }
    return done;
}

void PtyLink::drainInput()
{
    char scratch[256];
    while (::read(master_, scratch, sizeof scratch) > 0) {
    }
}

} // namespace tarvik::board::gps
