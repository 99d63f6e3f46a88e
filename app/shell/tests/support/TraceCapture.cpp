#include "TraceCapture.h"

#include "Trace.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace tarvik::qtest {

namespace {
constexpr std::size_t kMaxDatagram = 1u << 20;
constexpr int kPollMs = 20;
} // namespace

TraceCapture::TraceCapture()
{
    const std::string path = trace::SocketPath();
    mkdir(path.substr(0, path.rfind('/')).c_str(), 0700);
    unlink(path.c_str());
    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot bind the trace socket " + path);
    m_reader = std::thread([this] {
        while (!m_stop) {
            {
                std::lock_guard lock(m_mutex);
                drainLocked();
            }
            pollfd p{m_fd, POLLIN, 0};
            poll(&p, 1, kPollMs);
        }
    });
}

TraceCapture::~TraceCapture()
{
    m_stop = true;
    m_reader.join();
    close(m_fd);
    unlink(trace::SocketPath().c_str());
}

void TraceCapture::drainLocked()
{
    std::vector<char> buffer(kMaxDatagram);
    for (;;) {
        const ssize_t n = recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (n < 0)
            return;
        m_datagrams.append(QByteArray(buffer.data(), static_cast<qsizetype>(n)));
    }
}

QList<QByteArray> TraceCapture::datagrams()
{
    std::lock_guard lock(m_mutex);
    drainLocked();
    return m_datagrams;
}

QStringList TraceCapture::lines()
{
    QStringList out;
    for (QByteArray d : datagrams()) {
        if (d.endsWith("\r\n"))
            d.chop(2);
        out << QString::fromUtf8(d);
    }
    return out;
}

bool TraceCapture::contains(const QString& line) { return lines().contains(line); }
int TraceCapture::count(const QString& line) { return static_cast<int>(lines().count(line)); }
int TraceCapture::indexOf(const QString& line, int from) { return static_cast<int>(lines().indexOf(line, from)); }

void TraceCapture::clear()
{
    std::lock_guard lock(m_mutex);
    drainLocked();
    m_datagrams.clear();
}

} // namespace tarvik::qtest
