// The keyboard hook: extended key presses from an input device become 0x83E8 to the tray window and
// a "scancode" line on the debugger output; other keys pass unseen; devices that cannot be read are
// said once.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "CKeyboardHook.h"
#include "WindowMessages.h"

#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;

namespace {

class TrayStandIn : public QWidget {
public:
    TrayStandIn()
    {
        setWindowTitle("TARVIK_TRAY_WND");
        MarkHiddenWindow(this);
    }
    std::vector<WPARAM> keys;

protected:
    bool event(QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event)) {
            if (m->message == WM_TRAY_KEY)
                keys.push_back(m->wParam);
            return true;
        }
        return QWidget::event(event);
    }
};

QByteArray record(std::uint16_t type, std::uint16_t code, std::int32_t value)
{
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return QByteArray(reinterpret_cast<const char*>(&event), sizeof event);
}
QByteArray keyFrame(std::uint32_t scan, std::uint16_t key, std::int32_t value)
{
    return record(EV_MSC, MSC_SCAN, static_cast<std::int32_t>(scan)) + record(EV_KEY, key, value) +
           record(EV_SYN, SYN_REPORT, 0);
}

// What the program writes to the debugger output (stderr) while it lives.
class DebugOutputCapture {
public:
    DebugOutputCapture()
    {
        QVERIFY(m_file.open());
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~DebugOutputCapture() { restore(); }
    QByteArray text()
    {
        restore();
        QFile in(m_file.fileName());
        in.open(QIODevice::ReadOnly);
        return in.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace

class tst_CKeyboardHook : public QObject {
    Q_OBJECT
private slots:
    void extendedPressesArePostedAndNoKeyIsTaken()
    {
        TrayStandIn tray;
        CKeyboardHook hook;
        int pipe[2];
        QCOMPARE(::pipe2(pipe, O_NONBLOCK | O_CLOEXEC), 0);
        // A PS/2 keyboard: E0 21 arrives as 0xA1 with bit 7 for the prefix.
        hook.AddDevice(pipe[0], BUS_I8042, "test keyboard");
        const QByteArray events = keyFrame(0x1E, KEY_A, 1) + keyFrame(0x1E, KEY_A, 0) + // "a": not extended
                                  keyFrame(0xC0, KEY_F15, 1) + keyFrame(0xC0, KEY_F15, 2) + // E0 40, held
                                  keyFrame(0xC0, KEY_F15, 0) + keyFrame(0x9D, KEY_RIGHTCTRL, 1);
        DebugOutputCapture output;
        QCOMPARE(write(pipe[1], events.constData(), static_cast<std::size_t>(events.size())), events.size());
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 2u, 5000);
        QCOMPARE(tray.keys, (std::vector<WPARAM>{0x40, 0x1D}));
        // A line per extended event, presses and the release; nothing of the ordinary key.
        QCOMPARE(output.text(), QByteArray("scancode: 0X40 \nscancode: 0X40 \nscancode: 0X1D \n"));
        close(pipe[1]);
    }

    void deviceThatGoesAwayIsDropped()
    {
        TrayStandIn tray;
        CKeyboardHook hook;
        int pipe[2];
        QCOMPARE(::pipe2(pipe, O_NONBLOCK | O_CLOEXEC), 0);
        hook.AddDevice(pipe[0], BUS_HOST, "front panel");
        QCOMPARE(hook.DeviceCount(), 1);
        TraceCapture capture;
        const QByteArray press = keyFrame(0xA1, KEY_PROG1, 1);
        QCOMPARE(write(pipe[1], press.constData(), static_cast<std::size_t>(press.size())), press.size());
        close(pipe[1]);
        QTRY_COMPARE_WITH_TIMEOUT(hook.DeviceCount(), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys, std::vector<WPARAM>{0xA1}, 5000); // posted before the device went
        QVERIFY(capture.contains("CKeyboardHook: <front panel> is gone"));
    }

    void namedDevicesThatCannotBeReadAreSaid()
    {
        CKeyboardHook hook;
        TraceCapture capture;
        const QString missing = QtTestEnvironment::instance().root() + "/event99";
        QCOMPARE(hook.Install({missing}), 0);
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("CKeyboardHook: cannot read <" + missing + ">: "));
        QCOMPARE(lines[1], QString("CKeyboardHook: no keyboard to read; front-panel keys reach the program only "
                                   "through its socket"));
    }

    void unreadableDevicesAreOneLine()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file: no device to be refused");
        QTemporaryFile device;
        QVERIFY(device.open());
        QVERIFY(device.setPermissions(QFileDevice::WriteOwner));
        CKeyboardHook hook;
        TraceCapture capture;
        QCOMPARE(hook.Install({device.fileName(), device.fileName()}), 0);
        QCOMPARE(capture.lines(), QStringList{"CKeyboardHook: no permission to read the keyboards (2 of the named "
                                              "devices); front-panel keys reach the program only through its socket"});
    }
};

TARVIK_QTEST_MAIN(tst_CKeyboardHook)
#include "tst_CKeyboardHook.moc"
