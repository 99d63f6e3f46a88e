// The keyboard hook: which devices it reads (by default keyboards and hotkey devices, or those
// named, or none), how each kind's scan-code reports are taken, extended key presses becoming 0x83E8
// to the tray window and a "scancode" line on the debugger output; other keys pass unseen; devices
// that cannot be read are said once. The devices are described by a stand-in for /dev/input whose
// devices are pipes.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"
#include "TrayStandIn.h"

#include "CKeyboardHook.h"
#include "KeyDeviceFixtures.h"
#include "WindowMessages.h"

#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <linux/input.h>
#include <map>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using tarvik::qtest::QtTestEnvironment;
using tarvik::qtest::TraceCapture;

namespace {

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

const KeyDeviceDescription kAtKeyboard = keyDevice(BUS_I8042, {{KEY_ESC, KEY_KPDOT}}, true);
const KeyDeviceDescription kMatrixKeypad = keyDevice(BUS_HOST, {{KEY_ESC, KEY_SLASH}}, true);
const KeyDeviceDescription kPanelHotkeys = keyDevice(BUS_HOST, {{KEY_PROG1, KEY_PROG4}}, true);
const KeyDeviceDescription kPowerButton = keyDevice(BUS_HOST, {{KEY_POWER, KEY_POWER}}, false);
const KeyDeviceDescription kMouse = keyDevice(BUS_USB, {{BTN_LEFT, BTN_MIDDLE}}, true, true);

// /dev/input as the hook sees it: devices with descriptions; each one opened is a pipe that the
// test writes the kernel's records into.
class FakeInputDevices final : public InputDevices {
public:
    struct Entry {
        QString path;
        QString name;
        KeyDeviceDescription description;
        int error = 0; // opening fails with it
    };
    explicit FakeInputDevices(std::vector<Entry> entries) : m_entries(std::move(entries)) {}
    ~FakeInputDevices() override
    {
        for (const auto& [path, fd] : writers)
            close(fd);
    }

    QStringList List() override
    {
        QStringList paths;
        for (const Entry& e : m_entries)
            paths << e.path;
        return paths;
    }
    Opened Open(const QString& path) override
    {
        opened << path;
        Opened result;
        const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.path == path; });
        if (it == m_entries.end()) {
            result.error = ENOENT;
            return result;
        }
        if (it->error) {
            result.error = it->error;
            return result;
        }
        int pipe[2];
        if (::pipe2(pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
            result.error = errno;
            return result;
        }
        readers[path] = pipe[0];
        writers[path] = pipe[1];
        result.fd = pipe[0];
        result.name = it->name;
        result.description = it->description;
        return result;
    }

    // What the device sends.
    void send(const QString& path, const QByteArray& bytes)
    {
        QCOMPARE(write(writers.at(path), bytes.constData(), static_cast<std::size_t>(bytes.size())), bytes.size());
    }
    // True when the hook has read everything sent on the device.
    bool drained(const QString& path) const
    {
        int unread = -1;
        return ioctl(readers.at(path), FIONREAD, &unread) == 0 && unread == 0;
    }
    // True when the hook closed the device again: the pipe has no reader left. (The descriptor's
    // number itself may already belong to the next device opened.)
    bool closedByHook(const QString& path) const
    {
        pollfd p{writers.at(path), POLLOUT, 0};
        return poll(&p, 1, 0) == 1 && (p.revents & POLLERR);
    }

    QStringList opened;
    std::map<QString, int> readers;
    std::map<QString, int> writers;

private:
    std::vector<Entry> m_entries;
};

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
        hook.AddDevice(pipe[0], KeyDeviceKind::Keyboard, BUS_I8042, "test keyboard");
        const QByteArray events = keyFrame(0x1E, KEY_A, 1) + keyFrame(0x1E, KEY_A, 0) + // "a": not extended
                                  keyFrame(0xC0, KEY_F15, 1) + keyFrame(0xC0, KEY_F15, 2) + // E0 40, held
                                  keyFrame(0xC0, KEY_F15, 0) + keyFrame(0x9D, KEY_RIGHTCTRL, 1);
        DebugOutputCapture output;
        QCOMPARE(write(pipe[1], events.constData(), static_cast<std::size_t>(events.size())), events.size());
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 2u, 5000);
        QCOMPARE(tray.codes(), (std::vector<WPARAM>{0x40, 0x1D}));
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
        hook.AddDevice(pipe[0], KeyDeviceKind::Hotkeys, BUS_HOST, "front panel");
        QCOMPARE(hook.DeviceCount(), 1);
        TraceCapture capture;
        const QByteArray press = keyFrame(0xA1, KEY_PROG1, 1);
        QCOMPARE(write(pipe[1], press.constData(), static_cast<std::size_t>(press.size())), press.size());
        close(pipe[1]);
        QTRY_COMPARE_WITH_TIMEOUT(hook.DeviceCount(), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(tray.codes(), std::vector<WPARAM>{0xA1}, 5000); // posted before the device went
        QVERIFY(capture.contains("CKeyboardHook: <front panel> is gone"));
    }

    void byDefaultKeyboardsAndHotkeyDevicesAreRead()
    {
        FakeInputDevices devices({{"/dev/input/event0", "AT Translated Set 2 keyboard", kAtKeyboard},
                                  {"/dev/input/event1", "Power Button", kPowerButton},
                                  {"/dev/input/event2", "Front panel hotkeys", kPanelHotkeys},
                                  {"/dev/input/event3", "USB Optical Mouse", kMouse},
                                  {"/dev/input/event4", "Another keyboard", kAtKeyboard, EACCES}});
        TrayStandIn tray;
        TraceCapture capture;
        CKeyboardHook hook(devices);
        QCOMPARE(hook.Install({}), 2);
        QCOMPARE(hook.DeviceNames(), (QStringList{"/dev/input/event0 (AT Translated Set 2 keyboard)",
                                                  "/dev/input/event2 (Front panel hotkeys)"}));
        QCOMPARE(devices.opened.size(), 5);
        QVERIFY(devices.closedByHook("/dev/input/event1"));
        QVERIFY(devices.closedByHook("/dev/input/event3"));
        QCOMPARE(capture.lines(), (QStringList{"CKeyboardHook: reading </dev/input/event0 (AT Translated Set 2 keyboard)> as keyboard",
                                               "CKeyboardHook: reading </dev/input/event2 (Front panel hotkeys)> as hotkeys"}));

        // The wake-up key from the hotkey driver, right Ctrl from the keyboard.
        devices.send("/dev/input/event2", keyFrame(0xA1, KEY_PROG1, 1) + keyFrame(0xA1, KEY_PROG1, 0));
        devices.send("/dev/input/event0", keyFrame(0x9D, KEY_RIGHTCTRL, 1));
        QTRY_COMPARE_WITH_TIMEOUT(tray.keys.size(), 2u, 5000);
        const std::vector<WPARAM> codes = tray.codes();
        QVERIFY(std::find(codes.begin(), codes.end(), WPARAM(0xA1)) != codes.end());
        QVERIFY(std::find(codes.begin(), codes.end(), WPARAM(0x1D)) != codes.end());
    }

    void reportsAreTakenByTheKindOfDevice_data()
    {
        QTest::addColumn<int>("device"); // index into the descriptions below
        QTest::addColumn<uint>("report");
        QTest::addColumn<int>("posted"); // -1: nothing
        // 0: PS/2 keyboard, 1: a full keyboard reporting key positions, 2: hotkey driver.
        QTest::newRow("PS/2 E0 21") << 0 << 0xA1u << 0x21;
        QTest::newRow("PS/2 Escape") << 0 << 0x01u << -1;
        QTest::newRow("keypad position 0x01") << 1 << 0x01u << -1;
        QTest::newRow("keypad position 0x70") << 1 << 0x70u << -1;
        QTest::newRow("keypad position 0x40") << 1 << 0x40u << -1;
        QTest::newRow("keypad position 0xA1") << 1 << 0xA1u << -1;
        QTest::newRow("hotkey 0xA1") << 2 << 0xA1u << 0xA1;
        QTest::newRow("hotkey 0x40") << 2 << 0x40u << 0x40;
        QTest::newRow("hotkey 0x1A1") << 2 << 0x1A1u << -1;
    }
    void reportsAreTakenByTheKindOfDevice()
    {
        QFETCH(int, device);
        QFETCH(uint, report);
        QFETCH(int, posted);
        const KeyDeviceDescription descriptions[] = {kAtKeyboard, kMatrixKeypad, kPanelHotkeys};
        FakeInputDevices devices({{"/dev/input/event0", "device", descriptions[device]}});
        TrayStandIn tray;
        CKeyboardHook hook(devices);
        QCOMPARE(hook.Install({}), 1);
        DebugOutputCapture output;
        devices.send("/dev/input/event0", keyFrame(report, KEY_ESC, 1));
        QTRY_VERIFY_WITH_TIMEOUT(devices.drained("/dev/input/event0"), 5000);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(tray.codes(), posted < 0 ? std::vector<WPARAM>{} : std::vector<WPARAM>{WPARAM(posted)});
        QCOMPARE(output.text().isEmpty(), posted < 0);
    }

    void namedDevicesAreReadWhateverTheyAre()
    {
        FakeInputDevices devices({{"/dev/input/event0", "AT Translated Set 2 keyboard", kAtKeyboard},
                                  {"/dev/input/event1", "Power Button", kPowerButton}});
        TrayStandIn tray;
        CKeyboardHook hook(devices);
        QCOMPARE(hook.Install(ParseKeyboardDevices(L" /dev/input/event1 ")), 1);
        QCOMPARE(devices.opened, QStringList{"/dev/input/event1"});
        QCOMPARE(hook.DeviceNames(), QStringList{"/dev/input/event1 (Power Button)"});
        // A device that is no full keyboard is taken as hotkeys.
        devices.send("/dev/input/event1", keyFrame(0xA1, KEY_POWER, 1));
        QTRY_COMPARE_WITH_TIMEOUT(tray.codes(), std::vector<WPARAM>{0xA1}, 5000);
    }

    void noneReadsNothing()
    {
        FakeInputDevices devices({{"/dev/input/event0", "AT Translated Set 2 keyboard", kAtKeyboard}});
        CKeyboardHook hook(devices);
        TraceCapture capture;
        QCOMPARE(hook.Install(ParseKeyboardDevices(L"none")), 0);
        QVERIFY(devices.opened.isEmpty());
        QCOMPARE(capture.lines(), QStringList{"CKeyboardHook: no device is read (KEYBOARD_DEVICES=none); front-panel "
                                              "keys reach the program only through its socket"});
    }

    void namedDevicesThatCannotBeReadAreSaid()
    {
        CKeyboardHook hook; // the real /dev/input
        TraceCapture capture;
        const QString missing = QtTestEnvironment::instance().root() + "/event99";
        QCOMPARE(hook.Install(ParseKeyboardDevices(missing.toStdWString())), 0);
        const QStringList lines = capture.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("CKeyboardHook: cannot read <" + missing + ">: "));
        QCOMPARE(lines[1], QString("CKeyboardHook: no keyboard to read; front-panel keys reach the program only "
                                   "through its socket"));
    }

    void unreadableDevicesAreOneLine_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("line");
        QTest::newRow("named") << "/dev/input/event0,/dev/input/event1"
                               << "CKeyboardHook: no permission to read the keyboards (2 of the named devices); "
                                  "front-panel keys reach the program only through its socket";
        QTest::newRow("default") << ""
                                 << "CKeyboardHook: no permission to read the keyboards (2 of /dev/input/event*); "
                                    "front-panel keys reach the program only through its socket";
    }
    void unreadableDevicesAreOneLine()
    {
        QFETCH(QString, setting);
        QFETCH(QString, line);
        FakeInputDevices devices({{"/dev/input/event0", "keyboard", kAtKeyboard, EACCES},
                                  {"/dev/input/event1", "hotkeys", kPanelHotkeys, EPERM}});
        CKeyboardHook hook(devices);
        TraceCapture capture;
        QCOMPARE(hook.Install(ParseKeyboardDevices(setting.toStdWString())), 0);
        QCOMPARE(capture.lines(), QStringList{line});
    }
};

TARVIK_QTEST_MAIN(tst_CKeyboardHook)
#include "tst_CKeyboardHook.moc"
