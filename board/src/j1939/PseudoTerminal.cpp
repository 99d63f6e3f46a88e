#include "PseudoTerminal.h"

#include "TerminalSpeed.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvik::board::j1939 {

namespace {

std::string why(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    if (!linkPath_.empty()) {
        // Only our own link: another peer may have taken the name over meanwhile.
        char target[256] = {};
        const ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0 && devicePath_ == std::string(target, static_cast<std::size_t>(n)))
            unlink(linkPath_.c_str());
    }
    if (device_ >= 0)
        close(device_);
    if (master_ >= 0)
        close(master_);
}

bool PseudoTerminal::open(std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = why("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        error = why("pseudo-terminal set-up");
        return false;
    }
    devicePath_ = name;
    device_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device_ < 0) {
        error = why(name);
        return false;
    }
    // Raw: no echo by the terminal itself (the chip echoes), no CR/LF translation, 8N1 at the
    // interpreter's factory rate.
    termios t{};
    tcgetattr(device_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    if (tcsetattr(device_, TCSANOW, &t) != 0) {
        error = why("tcsetattr");
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

bool PseudoTerminal::link(const std::string& linkPath, std::string& error)
{
    const std::string temp = linkPath + ".new." + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(devicePath_.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), linkPath.c_str()) != 0) {
        error = why(linkPath.c_str());
        unlink(temp.c_str());
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

unsigned PseudoTerminal::baud() const
{
    // The master reports the settings of the device end, which the host sets.
    return terminalBaud(master_);
}

} // namespace tarvik::board::j1939
