#pragma once

#include "LoginSession.h"

#include <QDBusConnection>
#include <QObject>

// The login manager of a real machine: systemd-logind, org.freedesktop.login1 on the system bus
// (DBUS_SYSTEM_BUS_ADDRESS when set). Every call waits at most kCallTimeoutMs, so a stuck bus never
// holds the interface. Without a system bus each operation fails with the same reason.
class LogindSession final : public QObject, public LoginSession {
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 2000;

    explicit LogindSession(QDBusConnection bus = QDBusConnection::systemBus());

    bool PowerOff(std::wstring& error) override;
    std::unique_ptr<Inhibitor> Inhibit(const std::wstring& what, const std::wstring& mode, const std::wstring& why,
                                       std::wstring& error) override;
    std::unique_ptr<SleepWatch> WatchSleep(std::function<void(bool suspending)> handler, std::wstring& error) override;

private slots:
    // QtDBus connects signals by slot name only (a functor overload came with Qt 6.7).
    void OnPrepareForSleep(bool start);

private:
    // The system bus, or false with the reason.
    bool Connected(std::wstring& error);

    QDBusConnection m_bus;
    bool m_sleepConnected = false;
    SleepHandlerSlot m_sleepHandler;
};
