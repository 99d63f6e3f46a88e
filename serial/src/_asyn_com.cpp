#include "_asyn_com.h"

#include <cerrno>
#include <unistd.h>

_asyn_com::~_asyn_com()
{
    _base_com::close();
}

bool _asyn_com::open()
{
    if (is_open())
        close();
    return open_device();
}

int _asyn_com::read(char* buffer, int size)
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
