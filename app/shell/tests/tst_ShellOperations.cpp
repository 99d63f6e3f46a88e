// The operations pages share: the on-screen keyboard launcher and opening web addresses, against a
// recording process launcher.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "ProcessLauncher.h"
#include "ShellOperations.h"

#include <QWidget>

using tarvik::qtest::TraceCapture;

namespace {

class FakeLauncher final : public ProcessLauncher {
public:
    std::vector<Process> processes;
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> started;
    std::vector<std::wstring> opened;
    bool succeed = true;

    std::vector<Process> RunningProcesses() override { return processes; }
    bool StartDetached(const std::wstring& program, const std::vector<std::wstring>& arguments) override
    {
        started.emplace_back(program, arguments);
        if (succeed)
            processes.push_back({1000 + static_cast<int>(started.size()), program.substr(program.rfind(L'/') + 1)});
        return succeed;
    }
    bool OpenUrl(const std::wstring& address) override
    {
        opened.push_back(address);
        return succeed;
    }
};

struct LauncherOverride {
    explicit LauncherOverride(ProcessLauncher& l) { overrideProcessLauncher(&l); }
    ~LauncherOverride() { overrideProcessLauncher(nullptr); }
};

} // namespace

class tst_ShellOperations : public QObject {
    Q_OBJECT
private slots:
    // A second focus while the keyboard runs starts no second keyboard.
    void theKeyboardStartsOnlyWhenNoneRuns()
    {
        TraceCapture capture;
        FakeLauncher launcher;
        launcher.processes = {{1, L"systemd"}, {77, L"bash"}};
        QCOMPARE(StartKeyboardIfNotRunning(launcher, L"/usr/bin/onboard"), 0);
        QCOMPARE(launcher.started.size(), std::size_t(1));
        QCOMPARE(launcher.started[0].first, std::wstring(L"/usr/bin/onboard"));
        QVERIFY(launcher.started[0].second.empty());

        QCOMPARE(StartKeyboardIfNotRunning(launcher, L"/usr/bin/onboard"), 1);
        QCOMPARE(launcher.started.size(), std::size_t(1));
        QVERIFY(capture.contains("=====<1001><onboard> found !!!"));
    }

    void keyboardNamesAreComparedWithoutCaseAndAsTheKernelKeepsThem()
    {
        FakeLauncher launcher;
        launcher.processes = {{5, L"OnBoard"}, {6, L"florence-keyboa"}};
        QCOMPARE(StartKeyboardIfNotRunning(launcher, L"onboard"), 1);
        // The kernel keeps 15 characters of a command name.
        QCOMPARE(StartKeyboardIfNotRunning(launcher, L"florence-keyboard-daemon"), 1);
        QVERIFY(launcher.started.empty());
    }

    void webAddressesAreHandedOverAsTheyAre_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("map") << "https://www.openstreetmap.org/?mlat=52.520008&mlon=13.404954#map=16/52.520008/13.404954";
        QTest::newRow("http") << "http://example.org/place/25.0330,121.5654";
    }
    void webAddressesAreHandedOverAsTheyAre()
    {
        QFETCH(QString, address);
        FakeLauncher launcher;
        LauncherOverride guard(launcher);
        QVERIFY(OpenInBrowser(address.toStdWString()));
        QCOMPARE(launcher.opened.size(), std::size_t(1));
        QCOMPARE(QString::fromStdWString(launcher.opened[0]), address);
    }

    void anythingElseIsRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("script") << "javascript:alert(1)";
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("no host") << "http://";
        QTest::newRow("shell words") << "http://x.org/ ; rm -rf ~";
        QTest::newRow("empty") << "";
    }
    void anythingElseIsRefused()
    {
        QFETCH(QString, address);
        TraceCapture capture;
        FakeLauncher launcher;
        LauncherOverride guard(launcher);
        QVERIFY(!OpenInBrowser(address.toStdWString()));
        QVERIFY(launcher.opened.empty());
        QVERIFY(capture.contains("OpenInBrowser: not a web address <" + address + ">"));
    }

    void forceForegroundActivatesTheWindow()
    {
        QWidget a;
        QWidget b;
        a.show();
        b.show();
        ForceForeground(&a);
        QTRY_COMPARE(QApplication::activeWindow(), &a);
        ForceForeground(nullptr); // nothing happens
    }
};

TARVIK_QTEST_MAIN(tst_ShellOperations)
#include "tst_ShellOperations.moc"
