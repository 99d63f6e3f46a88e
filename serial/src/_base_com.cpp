#include "_base_com.h"

#include "Platform.h"
#include "TtyControl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// "\\.\COM": the Windows device-namespace prefix the port name has always carried.
constexpr char kNamePrefix[] = "\\\\.\\COM";
} // namespace

_base_com::_base_com()
    : m_tty(ttyControl())
{
}

_base_com::~_base_com()
{
    close_handle();
}

void _base_com::set_port(int port)
{
    m_port = port;
    // Any int fits: the prefix is 7 characters and the longest number 11 ("-2147483648").
    std::snprintf(m_szName, sizeof m_szName, "%s%d", kNamePrefix, port);
}

bool _base_com::open_device()
{
    const std::string path = tarvik::comDevicePath(m_port);
    // O_NONBLOCK also keeps open() from waiting for carrier on a modem line.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The lock is what keeps a second opener out: TIOCEXCL does not stop root.
    if (!m_tty.isTerminal(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || !m_tty.makeRaw(fd)) {
        ::close(fd);
        return false;
    }
    m_tty.setExclusive(fd, true);
    m_hCom = fd;
    m_countersKnown = m_tty.errorCounters(fd, m_errorCounters);
    return true;
}

bool _base_com::setup()
{
    if (!is_open())
        return false;
    // The driver's queues are the kernel's; kComQueueBytes cannot be asked for, and nothing is
    // refused here while the descriptor is still a terminal.
    if (!m_tty.isTerminal(m_hCom))
        return false;
    m_timeouts.ReadIntervalTimeout = kComMaxDword;
    m_timeouts.ReadTotalTimeoutMultiplier = 0;
    m_timeouts.ReadTotalTimeoutConstant = 0;
    m_timeouts.WriteTotalTimeoutMultiplier = 0;
    m_timeouts.WriteTotalTimeoutConstant = kComWriteTimeoutMs;
    if (!m_tty.makeRaw(m_hCom))
        return false;
    return purge(kPurgeAll);
}

bool _base_com::set_state(int baud)
{
    if (!is_open())
        return false;
    m_dcb.BaudRate = static_cast<std::uint32_t>(baud);
    m_dcb.ByteSize = 8;
    m_dcb.Parity = 0;
    m_dcb.StopBits = 0;
    // 0 would hang the line up, and a negative speed has no meaning to any driver.
    if (baud <= 0)
        return false;
    return m_tty.applyLine(m_hCom, static_cast<std::uint32_t>(baud));
}

void _base_com::close()
{
    close_handle();
}

void _base_com::close_handle()
{
    if (m_hCom == kInvalidHandle)
        return;
    // The mark belongs to the tty, not to our descriptor: where the other end keeps the line open
    // (a pty peer, a second descriptor) it would outlast this close and refuse every later open by
    // a user without root, this program's own next open included, with EBUSY.
    m_tty.setExclusive(m_hCom, false);
    ::close(m_hCom);
    m_hCom = kInvalidHandle;
    m_countersKnown = false;
}

bool _base_com::clear_comm_error(PortStatus& status)
{
    status = PortStatus{};
    if (!is_open() || !m_tty.receiveQueue(m_hCom, status.queued))
        return false;
    LineErrorCounters now;
    if (m_countersKnown && m_tty.errorCounters(m_hCom, now)) {
        status.errors = now.errorBitsSince(m_errorCounters);
        m_errorCounters = now;
    }
    return true;
}

bool _base_com::purge(unsigned flags)
{
    if (!is_open())
        return false;
    return m_tty.purge(m_hCom, (flags & kPurgeRxClear) != 0, (flags & kPurgeTxClear) != 0);
}

int _base_com::read_queued(char* buffer, int size)
{
    if (!buffer || size < 1)
        return 0;
    buffer[0] = '\0';
    if (!is_open())
        return 0;
    PortStatus status;
    if (!clear_comm_error(status))
        return 0;
    if (status.errors != 0) {
        purge(kPurgeReceive);
        return 0;
    }
    if (status.queued == 0)
        return 0;
    const std::uint32_t room = static_cast<std::uint32_t>(size - 1);
    const std::uint32_t wanted = status.queued < room ? status.queued : room;
    ssize_t n;
    do {
        n = ::read(m_hCom, buffer, wanted);
    } while (n < 0 && errno == EINTR);
    const int count = n > 0 ? static_cast<int>(n) : 0;
    buffer[count] = '\0';
    return count;
}
