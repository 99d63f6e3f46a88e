#include "LogindSession.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
// The name logind shows for our locks (loginctl list-inhibitors / systemd-inhibit --list).
const QString kWho = QStringLiteral("Tarvik");

// logind keeps a lock while any copy of its descriptor is open.
class FdInhibitor final : public LoginSession::Inhibitor {
public:
    explicit FdInhibitor(int fd) : m_fd(fd) {}
    ~FdInhibitor() override { close(m_fd); }

private:
    int m_fd;
};

QDBusMessage managerCall(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kManager, method); }

} // namespace

LogindSession::LogindSession(QDBusConnection bus) : m_bus(std::move(bus)) {}

bool LogindSession::Connected(std::wstring& error)
{
    if (m_bus.isConnected())
        return true;
    error = L"no system bus: " + m_bus.lastError().message().toStdWString();
    return false;
}

bool LogindSession::PowerOff(std::wstring& error)
{
    if (!Connected(error))
        return false;
    QDBusMessage call = managerCall(QStringLiteral("PowerOff"));
    call << false; // not interactive: no authentication dialogue, refused if not allowed
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error = (reply.errorName() + QStringLiteral(": ") + reply.errorMessage()).toStdWString();
        return false;
    }
    return true;
}

std::unique_ptr<LoginSession::Inhibitor> LogindSession::Inhibit(const std::wstring& what, const std::wstring& mode,
                                                                const std::wstring& why, std::wstring& error)
{
    if (!Connected(error))
        return nullptr;
    QDBusMessage call = managerCall(QStringLiteral("Inhibit"));
    call << QString::fromStdWString(what) << kWho << QString::fromStdWString(why) << QString::fromStdWString(mode);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error = (reply.errorName() + QStringLiteral(": ") + reply.errorMessage()).toStdWString();
        return nullptr;
    }
    const QVariant value = reply.arguments().value(0);
    if (!value.canConvert<QDBusUnixFileDescriptor>()) {
        error = L"logind's answer holds no file descriptor";
        return nullptr;
    }
    // The reply's descriptor is closed with the reply; the lock lives on in a copy of our own.
    const int fd = fcntl(value.value<QDBusUnixFileDescriptor>().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        error = L"cannot keep the lock's file descriptor";
        return nullptr;
    }
    return std::make_unique<FdInhibitor>(fd);
}

std::unique_ptr<LoginSession::SleepWatch> LogindSession::WatchSleep(std::function<void(bool suspending)> handler,
                                                                    std::wstring& error)
{
    if (!Connected(error))
        return nullptr;
    // One subscription on the bus, whichever watch holds the handler (a second would call it twice).
    if (!m_sleepConnected && !m_bus.connect(kService, kPath, kManager, QStringLiteral("PrepareForSleep"), this,
                                            SLOT(OnPrepareForSleep(bool)))) {
        error = L"cannot subscribe to PrepareForSleep: " + m_bus.lastError().message().toStdWString();
        return nullptr;
    }
    m_sleepConnected = true;
    return m_sleepHandler.Watch(std::move(handler));
}

void LogindSession::OnPrepareForSleep(bool start) { m_sleepHandler(start); }
