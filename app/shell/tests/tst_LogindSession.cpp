// The login manager of a real machine, against a logind stand-in on a private bus: an orderly,
// non-interactive power-off, inhibitor locks held by their descriptor, the sleep signal, and no bus.

#include "QtTestEnvironment.h"

#include "LogindSession.h"
#include "PrivateBus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using tarvik::qtest::QtTestEnvironment;

namespace {


// Just enough of org.freedesktop.login1.Manager, served from a thread of its own (the program's
// calls block its own thread until the answer comes).
class FakeLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    std::atomic<int> powerOffs{0};
    std::atomic<bool> lastInteractive{true};
    std::atomic<bool> refusePowerOff{false};
    QStringList inhibitArguments; // what, who, why, mode of the last lock
    int lockReadEnd = -1;         // end of the last lock's pipe that sees EOF once the lock is released

public slots:
    void PowerOff(bool interactive)
    {
        ++powerOffs;
        lastInteractive = interactive;
        if (refusePowerOff)
            sendErrorReply("org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
    }
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        inhibitArguments = {what, who, why, mode};
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return {};
        lockReadEnd = fds[0];
        QDBusUnixFileDescriptor lock(fds[1]); // keeps a copy of its own
        close(fds[1]);
        return lock;
    }
};

bool released(int readEnd)
{
    pollfd p{readEnd, POLLIN, 0};
    char byte;
    return poll(&p, 1, 0) == 1 && read(readEnd, &byte, 1) == 0;
}

class SignalProbe : public QObject {
    Q_OBJECT
public:
    std::vector<bool> heard;
public slots:
    void OnPrepareForSleep(bool start) { heard.push_back(start); }
};

} // namespace

class tst_LogindSession : public QObject {
    Q_OBJECT

    std::unique_ptr<tarvik::test::PrivateBus> m_bus;
    QString m_address;
    QThread m_serviceThread;
    FakeLogind* m_logind = nullptr;
    QDBusConnection m_service{QString()};

    bool sendPrepareForSleep(bool start)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        signal << start;
        return m_service.send(signal);
    }

private slots:
    void initTestCase()
    {
        if (!tarvik::test::PrivateBus::available())
            QSKIP("dbus-daemon is missing (scripts/setup installs it)");
        m_bus = std::make_unique<tarvik::test::PrivateBus>(QtTestEnvironment::instance().makeDir("bus").toStdString(),
                                                           "system");
        QVERIFY(m_bus->up());
        m_address = QString::fromStdString(m_bus->address());

        m_serviceThread.start();
        m_logind = new FakeLogind;
        m_logind->moveToThread(&m_serviceThread);
        m_service = QDBusConnection::connectToBus(m_address, "logind");
        QVERIFY(m_service.isConnected());
        QVERIFY(m_service.registerObject("/org/freedesktop/login1", m_logind, QDBusConnection::ExportAllSlots));
        QVERIFY(m_service.registerService("org.freedesktop.login1"));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("logind");
        QDBusConnection::disconnectFromBus("program");
        if (m_logind)
            QMetaObject::invokeMethod(m_logind, &QObject::deleteLater);
        m_serviceThread.quit();
        m_serviceThread.wait();
        m_bus.reset();
    }

    void powerOffIsOrderlyAndNotInteractive()
    {
        LogindSession session(QDBusConnection::connectToBus(m_address, "program"));
        std::wstring error;
        QVERIFY(session.PowerOff(error));
        QCOMPARE(m_logind->powerOffs.load(), 1);
        QCOMPARE(m_logind->lastInteractive.load(), false);
        m_logind->refusePowerOff = true;
        QVERIFY(!session.PowerOff(error));
        QCOMPARE(QString::fromStdWString(error), QString("org.freedesktop.DBus.Error.AccessDenied: Permission denied"));
        m_logind->refusePowerOff = false;
    }

    void lockIsHeldUntilItsHandleGoes()
    {
        LogindSession session(QDBusConnection::connectToBus(m_address, "program"));
        std::wstring error;
        auto lock = session.Inhibit(L"sleep", L"delay", L"Arm the wake-up timer", error);
        QVERIFY2(lock, qPrintable(QString::fromStdWString(error)));
        QCOMPARE(m_logind->inhibitArguments, (QStringList{"sleep", "Tarvik", "Arm the wake-up timer", "delay"}));
        const int readEnd = m_logind->lockReadEnd;
        QVERIFY(!released(readEnd));
        lock.reset();
        // The service's and the bus's own copies of the descriptor go when their messages go.
        QTRY_VERIFY_WITH_TIMEOUT(released(readEnd), 5000);
        close(readEnd);
    }

    void sleepSignalReachesTheHandler()
    {
        QDBusConnection program = QDBusConnection::connectToBus(m_address, "program");
        LogindSession session(program);
        // Hears every signal the program's connection receives, to know when one has come.
        SignalProbe probe;
        QVERIFY(program.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                "PrepareForSleep", &probe, SLOT(OnPrepareForSleep(bool))));
        std::vector<bool> received;
        std::wstring error;
        auto watch = session.WatchSleep([&](bool suspending) { received.push_back(suspending); }, error);
        QVERIFY2(watch, qPrintable(QString::fromStdWString(error)));
        for (bool start : {true, false})
            QVERIFY(sendPrepareForSleep(start));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2u, 5000);
        QCOMPARE(received, (std::vector<bool>{true, false}));

        // An ended watch hears nothing more; a later one hears each signal once.
        watch.reset();
        QVERIFY(sendPrepareForSleep(true));
        QTRY_COMPARE_WITH_TIMEOUT(probe.heard.size(), 3u, 5000); // delivered to the program by now
        QCoreApplication::processEvents();
        QCOMPARE(received.size(), 2u);
        std::vector<bool> later;
        auto second = session.WatchSleep([&](bool suspending) { later.push_back(suspending); }, error);
        QVERIFY(second);
        QVERIFY(sendPrepareForSleep(false));
        QTRY_COMPARE_WITH_TIMEOUT(later.size(), 1u, 5000);
        QCOMPARE(later, (std::vector<bool>{false}));
        QCOMPARE(received.size(), 2u);
    }

    void withoutABusEveryCallFailsWithTheSameReason()
    {
        LogindSession session(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "missing"));
        std::wstring powerOff;
        std::wstring inhibit;
        std::wstring watch;
        QVERIFY(!session.PowerOff(powerOff));
        QVERIFY(!session.Inhibit(L"idle", L"block", L"", inhibit));
        QVERIFY(!session.WatchSleep([](bool) {}, watch));
        QVERIFY(QString::fromStdWString(powerOff).startsWith("no system bus: "));
        QCOMPARE(inhibit, powerOff);
        QCOMPARE(watch, powerOff);
    }
};

TARVIK_QTEST_MAIN(tst_LogindSession)
#include "tst_LogindSession.moc"
