#include "_sync_com.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

bool _sync_com::open()
{
    if (is_open())
        close();
    return open_device();
}

int _sync_com::read(char* buffer, int size)
{
    return read_queued(buffer, size);
}

int _sync_com::write(const char* data, int length)
{
    if (!is_open() || !data || length < 0)
        return 0;
    PortStatus status;
    if (clear_comm_error(status) && status.errors != 0)
        purge(kPurgeTransmit);

    using Clock = std::chrono::steady_clock;
    const std::uint64_t limitMs = std::uint64_t{m_timeouts.WriteTotalTimeoutMultiplier} * static_cast<std::uint64_t>(length) +
                                  m_timeouts.WriteTotalTimeoutConstant;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(m_hCom, data + written, static_cast<std::size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return 0;
        // The driver's queue is full: wait for room, but no longer than the time-out allows.
        int waitMs = -1;
        if (limitMs != 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                break;
            waitMs = static_cast<int>(left);
        }
        pollfd p{m_hCom, POLLOUT, 0};
        const int r = poll(&p, 1, waitMs);
        if (r < 0 && errno != EINTR)
            return 0;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return 0;
    }
    return written;
}
