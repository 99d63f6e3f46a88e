// Key injection through the kernel's virtual keyboard: the Linux keys written for the virtual-key
// codes, the first injection held while the new device settles (through an injected deferral, not
// a real wait), a second injection queued behind it, the failures traced; and, where this machine
// allows it, the real /dev/uinput.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "KeyInput.h"
#include "UinputKeyInjector.h"

#include <QFile>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

using tarvik::qtest::TraceCapture;

namespace {

struct Event {
    std::uint16_t type;
    std::uint16_t code;
    std::int32_t value;
    friend bool operator==(const Event&, const Event&) = default;
};

// The struct input_event records the injector wrote, decoded.
std::vector<Event> readEvents(int fd)
{
    std::vector<Event> events;
    input_event record{};
    while (read(fd, &record, sizeof record) == sizeof record)
        events.push_back({record.type, record.code, record.value});
    return events;
}

// A key press or release and the report that ends it.
std::vector<Event> key(std::uint16_t code, bool down)
{
    return {{EV_KEY, code, down ? 1 : 0}, {EV_SYN, SYN_REPORT, 0}};
}
std::vector<Event> keys(std::initializer_list<std::pair<std::uint16_t, bool>> list)
{
    std::vector<Event> events;
    for (const auto& [code, down] : list) {
        const std::vector<Event> one = key(code, down);
        events.insert(events.end(), one.begin(), one.end());
    }
    return events;
}

// The virtual keyboard as a pipe, and the settling wait as a list of what was deferred.
class InjectorRig {
public:
    InjectorRig()
    {
        if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
            qFatal("pipe2 failed");
        injector = std::make_unique<UinputKeyInjector>(
            [this](std::string& problem) {
                ++makes;
                if (!makeProblem.empty()) {
                    problem = makeProblem;
                    return -1;
                }
                if (!deviceOverride.isEmpty())
                    return ::open(QFile::encodeName(deviceOverride).constData(), O_WRONLY | O_CLOEXEC);
                const int fd = m_pipe[1];
                m_pipe[1] = -1; // the injector owns it now
                return fd;
            },
            [this](int milliseconds, std::function<void()> then) { deferred.push_back({milliseconds, std::move(then)}); });
    }
    ~InjectorRig()
    {
        injector.reset();
        close(m_pipe[0]);
        if (m_pipe[1] >= 0)
            close(m_pipe[1]);
    }
    std::vector<Event> written() { return readEvents(m_pipe[0]); }
    void runDeferred()
    {
        auto pending = std::move(deferred);
        deferred.clear();
        for (auto& [ms, then] : pending)
            then();
    }

    std::unique_ptr<UinputKeyInjector> injector;
    std::vector<std::pair<int, std::function<void()>>> deferred;
    std::string makeProblem;
    QString deviceOverride;
    int makes = 0;

private:
    int m_pipe[2] = {-1, -1};
};

} // namespace

class tst_UinputKeyInjector : public QObject {
    Q_OBJECT
private slots:
    void firstInjectionWaitsForTheNewDeviceAndTheNextQueuesBehind()
    {
        InjectorRig rig;
        // Ctrl+Shift+Escape: presses in order, releases in reverse.
        QCOMPARE(rig.injector->SendInput(KeyInputsFor({0x11, 0x10, 0x1B})), 6u);
        QCOMPARE(rig.makes, 1);
        QCOMPARE(rig.deferred.size(), 1u);
        QCOMPARE(rig.deferred[0].first, 200);
        QVERIFY(rig.written().empty()); // held while the device settles

        // Another key map function while the first still waits: behind it, not before.
        QCOMPARE(rig.injector->SendInput(KeyInputsFor({0x41})), 2u);
        QCOMPARE(rig.deferred.size(), 1u);
        QVERIFY(rig.written().empty());

        rig.runDeferred();
        QCOMPARE(rig.written(), keys({{KEY_LEFTCTRL, true}, {KEY_LEFTSHIFT, true}, {KEY_ESC, true}, {KEY_ESC, false},
                                      {KEY_LEFTSHIFT, false}, {KEY_LEFTCTRL, false}, {KEY_A, true}, {KEY_A, false}}));

        // The device is there now: later injections go at once, on the same device.
        QCOMPARE(rig.injector->SendInput({{0x0D, false}, {0xA3, false}, {0xA3, true}, {0x0D, true}}), 4u);
        QCOMPARE(rig.written(), keys({{KEY_ENTER, true}, {KEY_RIGHTCTRL, true}, {KEY_RIGHTCTRL, false}, {KEY_ENTER, false}}));
        QVERIFY(rig.deferred.empty());
        QCOMPARE(rig.makes, 1);
    }

    void codesWithoutAKeyAreSkipped()
    {
        InjectorRig rig;
        TraceCapture capture;
        QCOMPARE(rig.injector->SendInput({{0x07, false}, {0x26, false}, {0x26, true}, {0x07, true}}), 2u);
        rig.runDeferred();
        QCOMPARE(rig.written(), keys({{KEY_UP, true}, {KEY_UP, false}}));
        QCOMPARE(capture.lines(), (QStringList{"Send Virtual Keys: 0x7 has no key here; skipped",
                                               "Send Virtual Keys: 0x7 has no key here; skipped"}));
        // Nothing to type at all: no device is made for it.
        InjectorRig none;
        QCOMPARE(none.injector->SendInput({{0x07, false}}), 0u);
        QCOMPARE(none.makes, 0);
    }

    void aDeviceThatCannotBeMadeIsTracedOnce()
    {
        InjectorRig rig;
        rig.makeProblem = "cannot open /dev/uinput: Permission denied";
        TraceCapture capture;
        QCOMPARE(rig.injector->SendInput(KeyInputsFor({0x11, 0x43})), 0u);
        QCOMPARE(rig.injector->SendInput(KeyInputsFor({0x11, 0x56})), 0u);
        QCOMPARE(rig.makes, 2); // a udev rule added meanwhile would be found
        QVERIFY(rig.deferred.empty());
        QCOMPARE(capture.lines(), QStringList{"Send Virtual Keys: cannot open /dev/uinput: Permission denied; no keys "
                                              "are injected"});
    }

    void aDeviceThatTakesNothingIsTraced()
    {
        InjectorRig rig;
        rig.deviceOverride = "/dev/full"; // every write fails with ENOSPC
        TraceCapture capture;
        QCOMPARE(rig.injector->SendInput(KeyInputsFor({0x41})), 2u);
        QVERIFY(capture.lines().isEmpty());
        rig.runDeferred();
        QCOMPARE(capture.lines(), QStringList{"Send Virtual Keys: writing the virtual keyboard failed: No space left on device"});
    }

    void theKernelsVirtualKeyboard()
    {
        std::string problem;
        const int probe = UinputKeyInjector::MakeUinputDevice(problem);
        if (probe < 0)
            QSKIP(qPrintable(QString::fromStdString("no virtual keyboard here: " + problem)));
        close(probe);
        int deferrals = 0;
        TraceCapture capture;
        {
            UinputKeyInjector injector(&UinputKeyInjector::MakeUinputDevice, [&](int, std::function<void()> then) {
                ++deferrals;
                then();
            });
            QCOMPARE(injector.SendInput(KeyInputsFor({0x7C})), 2u); // F13: types nothing anywhere
            QCOMPARE(deferrals, 1);
            QFile devices("/proc/bus/input/devices");
            QVERIFY(devices.open(QIODevice::ReadOnly));
            QVERIFY(devices.readAll().contains("Name=\"Tarvik front-panel keys\""));
        }
        QVERIFY(capture.lines().isEmpty());
        QFile devices("/proc/bus/input/devices");
        QVERIFY(devices.open(QIODevice::ReadOnly));
        QVERIFY(!devices.readAll().contains("Name=\"Tarvik front-panel keys\""));
    }
};

TARVIK_QTEST_MAIN(tst_UinputKeyInjector)
#include "tst_UinputKeyInjector.moc"
