// The tray window: construction and creation, 0x83E8 dispatch by hardware type, programmable keys
// and their functions (inner commands, programs without a shell, injected keys), the main window's
// modes and ownership, suspend and resume, and the orderly ends.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"
#include "TrayFakes.h"

#include "AppPaths.h"
#include "Board.h"
#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "CTrayWnd.h"
#include "GU_MyMessageboxDlg.h"
#include "Idovan.h"
#include "KeySetRegistry.h"
#include "LinuxWakeTimer.h"
#include "PowerBoard.h"
#include "PrivateProfile.h"
#include "SessionEndWatcher.h"
#include "TemplateCopy.h"
#include "WakeSchedule.h"

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <csignal>
#include <ctime>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;

namespace {

// The key map of these tests: two key sets of three keys.
constexpr char kTestKeyMap[] = R"([HK_Config]
FunctionNumber=6
HardButtons=3
FnSets=2

[FunDef1]
name=Brightness Up
type=1
cmd=BrightnessUp

[FunDef2]
name=Task keys
type=3
cmd=11,10,1B

[FunDef3]
name=Echo
type=2
cmd=/bin/echo
para="a b" c;echo $HOME

[FunDef4]
name=Home
type=1
cmd=SwitchUtility_Home

[FunDef5]
name=Vehicle
type=1
cmd=SwitchUtility_Vehicle

[FunDef6]
name=Brightness Down
type=1
cmd=BrightnessDown

[KeyDef1-1]
funid=1
scancode=55

[KeyDef1-2]
funid=2
scancode=1B

[KeyDef1-3]
funid=9
scancode=56
fn=3

[KeyDef2-1]
funid=3
scancode=55
fn=1

[KeyDef2-2]
funid=4
scancode=57

[KeyDef2-3]
funid=5
scancode=6E
)";

void writeFile(const std::wstring& path, const QByteArray& text)
{
    QFile file(QString::fromStdWString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

std::wstring setting(const wchar_t* section, const wchar_t* key)
{
    wchar_t buffer[256] = {};
    GetPrivateProfileStringW(section, key, L"", buffer, 256, SettingsFile());
    return buffer;
}

std::unique_ptr<tarvik::board::PowerBoard> powerBoard()
{
    auto power = tarvik::board::PowerBoard::open(QFile::encodeName(QtTestEnvironment::instance().boardDir()).toStdString());
    return power ? std::move(*power) : nullptr;
}
std::int32_t powerValue(PowerValue v)
{
    return powerBoard()->memory().locked([&](tarvik::board::PowerState& s) { return valueOf(s, v); });
}
void setPowerValue(PowerValue v, std::int32_t value)
{
    powerBoard()->memory().locked([&](tarvik::board::PowerState& s) { valueOf(s, v) = value; });
}

// Every window message sent or posted to a main window, in order.
class MessageSpy : public QObject {
public:
    MessageSpy() { qApp->installEventFilter(this); }
    ~MessageSpy() override { qApp->removeEventFilter(this); }
    std::vector<std::pair<QObject*, UINT>> messages;
    bool sent(QObject* to, UINT message) const
    {
        return std::find(messages.begin(), messages.end(), std::make_pair(to, message)) != messages.end();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (CWndMessageEvent* m = AsWndMessage(event); m && qobject_cast<CGX58_UtilityDlg*>(watched))
            messages.emplace_back(watched, m->message);
        return false;
    }
};

void processDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

class tst_CTrayWnd : public QObject {
    Q_OBJECT

    RecordingInjector injector;
    FakeLoginSession session;
    FakeWakeTimer timer;
    RecordingLauncher launcher;
    std::unique_ptr<CTrayWnd> tray;

    void makeTray(HardType hardType = HARD_TYPE_GX58)
    {
        tray = std::make_unique<CTrayWnd>(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        tray->SetHardType(hardType);
        QVERIFY(tray->CreateEx());
    }
    void key(WPARAM code) { SendMessage(tray.get(), WM_TRAY_KEY, code, 0); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(QtTestEnvironment::instance().makeDir("config")));
        CopyTemplates(AppDataPaths(), CIdovan::vDI_ModelType(), {});
    }

    void init()
    {
        injector = {};
        session = {};
        timer = {};
        launcher = {};
        writeFile(AppDataPaths().keyMapFile, kTestKeyMap);
        for (const auto& [section, key] : {std::pair{L"SYS_WATCHDOG", L"IS_ENABLED"}, {L"LOG", L"CONTENT"},
                                          {L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"}})
            WritePrivateProfileStringW(section, key, nullptr, SettingsFile());
        setPowerValue(PowerValue::Brightness, 80);
        makeTray();
    }

    void cleanup()
    {
        tray.reset();
        processDeferredDeletes();
    }

    void constructionLoadsTheKeyMapAndSeedsTheMirror()
    {
        QCOMPARE(CTrayWnd::Current(), tray.get());
        QCOMPARE(tray->kFunDefs().size(), 6u);
        QCOMPARE(tray->kKeySets().size(), 2u);
        QCOMPARE(tray->kKeySets()[1][0].funid, 3);
        const std::wstring mirror = UserRegistryPath(ProcessDataPathSources());
        wchar_t value[64] = {};
        GetPrivateProfileStringW(L"SOFTWARE\\Tarvik\\KeySet1", L"KeyDef0", L"", value, 64, mirror.c_str());
        QCOMPARE(QString::fromWCharArray(value), QString("dword:00000003"));
        QCOMPARE(FindWindowByTitle("TARVIK_TRAY_WND"), tray.get());
        QVERIFY(!tray->isVisible());
        tray.reset();
        QCOMPARE(CTrayWnd::Current(), nullptr);
    }

    void watchdogAtCreation_data()
    {
        QTest::addColumn<QString>("isEnabled");
        QTest::addColumn<int>("watchdog");
        QTest::addColumn<int>("traced");
        QTest::newRow("1 is on") << "1" << 1 << 1;
        QTest::newRow("2 is off") << "2" << 0 << 2;
        QTest::newRow("0 is off") << "0" << 0 << 0;
        QTest::newRow("missing is off") << "" << 0 << 0;
    }
    void watchdogAtCreation()
    {
        QFETCH(QString, isEnabled);
        QFETCH(int, watchdog);
        QFETCH(int, traced);
        tray.reset();
        setPowerValue(PowerValue::Watchdog, 1 - watchdog);
        if (!isEnabled.isEmpty())
            WritePrivateProfileStringW(L"SYS_WATCHDOG", L"IS_ENABLED", isEnabled.toStdWString().c_str(), SettingsFile());
        TraceCapture capture;
        makeTray();
        QCOMPARE(powerValue(PowerValue::Watchdog), watchdog);
        QVERIFY(capture.contains(
            QString("InitInstance: vTimer_WatchdogTimerSwitch: bRet = 1, watchdog_isenabled = %1").arg(traced)));
    }

    void programmableKeyRunsTheFunctionOfEveryKeySet()
    {
        TraceCapture capture;
        key(0x55);
        // Key set 1: brightness up; key set 2: the program, its parameters split without a shell.
        QCOMPARE(powerValue(PowerValue::Brightness), 90);
        QCOMPARE(launcher.starts.size(), 1u);
        QCOMPARE(launcher.starts[0].program, std::wstring(L"/bin/echo"));
        QCOMPARE(launcher.starts[0].arguments, (std::vector<std::wstring>{L"a b", L"c;echo", L"$HOME"}));
        const QStringList expected = {
            "CTrayWnd: SwitchMainDlg():kKeySets[0][0] - scancode[55]",
            "CTrayWnd: SwitchMainDlg():kKeySets[0][0] - funid[1]",
            "CTrayWnd: SwitchMainDlg():kKeySets[0][0] - nFnSet[0]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[0] - name[Brightness Up]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[0] - type[1]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[0] - cmd[BrightnessUp]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[0] - desc[]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[0] - para[]",
            "ProcessInnerCmdEvent: vBC_BrightnessValueGet value=[80] bRet=[1]",
            "ProcessInnerCmdEvent: vBC_BrightnessValueSet value=[90] bRet=[1]",
            "CTrayWnd: SwitchMainDlg():kKeySets[1][0] - scancode[55]",
            "CTrayWnd: SwitchMainDlg():kKeySets[1][0] - funid[3]",
            "CTrayWnd: SwitchMainDlg():kKeySets[1][0] - nFnSet[1]",
            "CTrayWnd: SwitchMainDlg():kFunDefs[2] - name[Echo]",
        };
        const QStringList lines = capture.lines();
        QCOMPARE(lines.mid(0, expected.size()), expected);
    }

    void programmableKeysByHardwareType_data()
    {
        QTest::addColumn<int>("hardType");
        QTest::addColumn<bool>("fiveKeyCode");  // 0x55
        QTest::addColumn<bool>("nineKeyCode");  // 0x1B
        QTest::newRow("GX58") << int(HARD_TYPE_GX58) << true << false;
        QTest::newRow("RQ63_L") << int(HARD_TYPE_RQ63_L) << false << false;
        QTest::newRow("RQ63_H") << int(HARD_TYPE_RQ63_H) << false << false;
        QTest::newRow("RQ81") << int(HARD_TYPE_RQ81) << true << true;
        QTest::newRow("RQ72") << int(HARD_TYPE_RQ72) << true << true;
    }
    void programmableKeysByHardwareType()
    {
        QFETCH(int, hardType);
        QFETCH(bool, fiveKeyCode);
        QFETCH(bool, nineKeyCode);
        tray->SetHardType(static_cast<HardType>(hardType));
        TraceCapture capture;
        key(0x55);
        QCOMPARE(capture.contains("CTrayWnd: SwitchMainDlg():kKeySets[0][0] - scancode[55]"), fiveKeyCode);
        QCOMPARE(powerValue(PowerValue::Brightness), fiveKeyCode ? 90 : 80);
        key(0x1B);
        QCOMPARE(capture.contains("CTrayWnd: SwitchMainDlg():kKeySets[0][1] - scancode[1b]"), nineKeyCode);
        QCOMPARE(injector.calls.size(), nineKeyCode ? 1u : 0u);
    }

    void sendKeysPressesInOrderAndReleasesInReverse()
    {
        tray->SetHardType(HARD_TYPE_RQ81);
        TraceCapture capture;
        key(0x1B);
        QCOMPARE(injector.calls.size(), 1u);
        const std::vector<KeyInput> expected = {{0x11, false}, {0x10, false}, {0x1B, false},
                                                {0x1B, true},  {0x10, true},  {0x11, true}};
        QVERIFY(injector.calls[0] == expected);
        const QStringList lines = capture.lines();
        const int first = lines.indexOf("Send Virtual Keys: 0x11");
        QVERIFY(first >= 0);
        QCOMPARE(lines.mid(first, 3), (QStringList{"Send Virtual Keys: 0x11", "Send Virtual Keys: 0x10",
                                                   "Send Virtual Keys: 0x1B"}));
    }

    void keyWithoutAFunctionOnlyTracesTheKey()
    {
        TraceCapture capture;
        key(0x56); // funid 9 of six functions
        QVERIFY(capture.contains("CTrayWnd: SwitchMainDlg():kKeySets[0][2] - funid[9]"));
        QVERIFY(capture.contains("CTrayWnd: SwitchMainDlg():kKeySets[0][2] - nFnSet[3]"));
        QVERIFY(!capture.lines().join('\n').contains("kFunDefs["));
    }

    void emergencyShutdownAndUnknownCodes()
    {
        key(0x40);
        QCOMPARE(setting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"), std::wstring(L"1"));
        WritePrivateProfileStringW(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", L"0", SettingsFile());
        key(0x40);
        QCOMPARE(setting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"), std::wstring(L"1"));

        key(0x70);
        key(0x01);
        QCOMPARE(session.powerOffs, 2);
        session.powerOffError = L"org.freedesktop.DBus.Error.AccessDenied: not allowed";
        TraceCapture capture;
        key(0x70);
        QVERIFY(capture.contains("CTrayWnd: shut-down request failed: org.freedesktop.DBus.Error.AccessDenied: not allowed"));

        capture.clear();
        key(0x42);
        key(0x1000000A1); // beyond 32 bits: no scan code, not 0xA1
        QVERIFY(tray->MainDlg() == nullptr);
        QVERIFY(capture.lines().isEmpty());
    }

    void reloadedKeyMapTakesEffectOnTheNextKey()
    {
        QByteArray changed(kTestKeyMap);
        changed.replace("[KeyDef1-1]\nfunid=1", "[KeyDef1-1]\nfunid=6");
        writeFile(AppDataPaths().keyMapFile, changed);
        key(0x55); // the tables still hold the old binding
        QCOMPARE(powerValue(PowerValue::Brightness), 90);
        tray->LoadKeyMap();
        key(0x55);
        QCOMPARE(powerValue(PowerValue::Brightness), 80);
    }

    void brightnessSteps_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("innerCmd");
        QTest::addColumn<int>("expected");
        QTest::newRow("up from 95") << 95 << 4 << 100;
        QTest::newRow("up at 100") << 100 << 4 << 100;
        QTest::newRow("down from 5") << 5 << 5 << 0;
        QTest::newRow("down at 0") << 0 << 5 << 0;
        QTest::newRow("down from 50") << 50 << 5 << 40;
        QTest::newRow("up from an odd 150") << 150 << 4 << 100;
    }
    void brightnessSteps()
    {
        QFETCH(int, start);
        QFETCH(int, innerCmd);
        QFETCH(int, expected);
        setPowerValue(PowerValue::Brightness, start);
        tray->ProcessInnerCmdEvent(innerCmd);
        QCOMPARE(powerValue(PowerValue::Brightness), expected);
    }

    void brightnessReadFailureSetsNothing()
    {
        auto board = tarvik::board::Board::open(QFile::encodeName(QtTestEnvironment::instance().boardDir()).toStdString());
        QVERIFY((*board)->setFault("kestrom-fail", "vBC_BrightnessValueGet"));
        TraceCapture capture;
        tray->ProcessInnerCmdEvent(4);
        (*board)->clearAllFaults();
        QCOMPARE(powerValue(PowerValue::Brightness), 80);
        QVERIFY(capture.contains("ProcessInnerCmdEvent: vBC_BrightnessValueGet value=[0] bRet=[0]"));
        QVERIFY(!capture.lines().join('\n').contains("vBC_BrightnessValueSet"));
    }

    void toggleOpensAndClosesWithoutCloseDown()
    {
        MessageSpy spy;
        tray->ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
        QPointer<CGX58_UtilityDlg> main = tray->MainDlg();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->windowTitle(), QString("MainDlg"));
        key(0xA1);
        QVERIFY(tray->MainDlg() == nullptr);
        QVERIFY(!main || !main->isVisible());
        QVERIFY(!spy.sent(main, WM_CLOSE_CHILDREN));
        processDeferredDeletes();
        QVERIFY(!main);
    }

    void innerHomeCommandClosesWithCloseDown()
    {
        MessageSpy spy;
        tray->ProcessInnerCmdEvent(1);
        QPointer<CGX58_UtilityDlg> main = tray->MainDlg();
        QVERIFY(main);
        tray->ProcessInnerCmdEvent(1);
        QVERIFY(tray->MainDlg() == nullptr);
        QVERIFY(spy.sent(main, WM_CLOSE_CHILDREN));
    }

    void pageModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("pageExists");
        QTest::addColumn<bool>("mainOpen");
        QTest::addColumn<bool>("mainAfter");
        const int vehicle = CTrayWnd::SHOWPAGE_VEHICLE;
        const int system = CTrayWnd::SHOWPAGE_SYSTEM;
        QTest::newRow("vehicle, closed") << vehicle << int(WM_OPEN_VEHICLE) << false << false << true;
        QTest::newRow("vehicle, main open") << vehicle << int(WM_OPEN_VEHICLE) << false << true << true;
        QTest::newRow("vehicle page open") << vehicle << int(WM_OPEN_VEHICLE) << true << true << false;
        QTest::newRow("vehicle page, no main") << vehicle << int(WM_OPEN_VEHICLE) << true << false << false;
        QTest::newRow("system, closed") << system << int(WM_OPEN_SYSTEM_SETTING) << false << false << true;
        QTest::newRow("system, main open") << system << int(WM_OPEN_SYSTEM_SETTING) << false << true << true;
        QTest::newRow("system page open") << system << int(WM_OPEN_SYSTEM_SETTING) << true << true << false;
    }
    void pageModes()
    {
        QFETCH(int, mode);
        QFETCH(int, message);
        QFETCH(bool, pageExists);
        QFETCH(bool, mainOpen);
        QFETCH(bool, mainAfter);
        QWidget page;
        if (pageExists)
            (mode == CTrayWnd::SHOWPAGE_VEHICLE ? tray->SetVehiclePage(&page) : tray->SetSystemSettingPage(&page));
        if (mainOpen)
            tray->ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
        // By address: a page that runs lets the closed main window's deferred deletion happen.
        CGX58_UtilityDlg* const before = tray->MainDlg();
        MessageSpy spy;
        // A page that is built opens modally inside the call: end it once it runs.
        QTimer endPage;
        endPage.setInterval(5);
        connect(&endPage, &QTimer::timeout, [] {
            if (auto* page = qobject_cast<CPageDlg*>(QApplication::activeModalWidget()))
                page->EndDialog(IDCANCEL);
        });
        endPage.start();
        tray->ShowPage(static_cast<CTrayWnd::ShowPageMode>(mode));
        endPage.stop();
        if (mainOpen)
            QVERIFY(spy.sent(before, WM_CLOSE_CHILDREN)); // closed with close-down
        QCOMPARE(tray->MainDlg() != nullptr, mainAfter);
        if (mainAfter) {
            QVERIFY(tray->MainDlg() != before);
            QVERIFY(spy.sent(tray->MainDlg(), static_cast<UINT>(message)));
        }
    }

    void mainWindowIsReleasedOnlyAfterItsPageHasReturned()
    {
        // The wake-up key closes the main window while one of its pages shows a message box: the
        // page's run and the box's run are both on the stack, so the main window (and the page it
        // owns) must stay until they have returned.
        tray->ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
        QPointer<CGX58_UtilityDlg> main = tray->MainDlg();
        bool aliveInsideTheBox = false;
        QMetaObject::invokeMethod(qApp, [&] { // inside the page's run
            QMetaObject::invokeMethod(qApp, [&] { // inside the box's run
                SendMessage(tray.get(), WM_TRAY_KEY, 0xA1, 0);
                QMetaObject::invokeMethod(qApp, [&] {
                    aliveInsideTheBox = main && tray->MainDlg() == nullptr;
                    LastMessageBox()->EndDialog(IDOK);
                }, Qt::QueuedConnection);
            }, Qt::QueuedConnection);
            ShowMessageBox(L"a page's message");
        }, Qt::QueuedConnection);
        main->Button(CGX58_UtilityDlg::kDevInfoId)->click(); // returns when the page has ended
        QVERIFY(aliveInsideTheBox);
        QVERIFY(tray->MainDlg() == nullptr);
        QVERIFY(main); // released with deleteLater once the page's run had returned
        processDeferredDeletes();
        QVERIFY(!main);
    }

    void suspendArmsTheWakeTimerAndResumeRequiresTheSystem()
    {
        // The wake time ten minutes from now.
        const std::time_t wake = std::time(nullptr) + 600;
        std::tm local{};
        localtime_r(&wake, &local);
        setPowerValue(PowerValue::RtcHour, local.tm_hour);
        setPowerValue(PowerValue::RtcMinute, local.tm_min);
        setPowerValue(PowerValue::RtcSecond, local.tm_sec);
        QCOMPARE(session.held(L"sleep", L"delay"), 1);

        TraceCapture capture;
        const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr)) * kTimerUnitsPerSecond;
        session.sendSleepSignal(true);
        const QStringList lines = capture.lines();
        QCOMPARE(lines.value(0), QString("App: System will enter S3"));
        QCOMPARE(lines.value(1), QString("vWU_WakeOnRTCTimerStatus: bRet = 1, hour=%1, minute=%2 second=%3")
                                     .arg(local.tm_hour).arg(local.tm_min).arg(local.tm_sec));
        const QRegularExpressionMatch computed =
            QRegularExpression(R"(^current time = \d+:\d+:\d+  \[\d+\]; \nrtc =  (\d+):(\d+):(\d+)  \[(\d+)\]; \nsetsecond = \[(\d+)\]$)")
                .match(lines.value(2));
        QVERIFY2(computed.hasMatch(), qPrintable(lines.value(2)));
        const int delay = computed.captured(5).toInt();
        QVERIFY2(delay >= 599 && delay <= 600, qPrintable(lines.value(2)));
        QCOMPARE(timer.due.size(), 1u);
        const std::int64_t ahead = timer.due[0] - before;
        QVERIFY(ahead >= 599 * kTimerUnitsPerSecond && ahead <= 602 * kTimerUnitsPerSecond);
        // The suspend may go on, and nothing requires the system while it sleeps.
        QCOMPARE(session.held(L"sleep", L"delay"), 0);
        QCOMPARE(session.held(L"idle", L"block"), 0);

        session.sendSleepSignal(false);
        QVERIFY(capture.contains("App: System resume from  S3"));
        QCOMPARE(session.held(L"idle", L"block"), 1);
        QCOMPARE(session.held(L"sleep", L"delay"), 1);
        session.sendSleepSignal(true);
        QCOMPARE(session.held(L"idle", L"block"), 0);
        QCOMPARE(timer.due.size(), 2u);
    }

    void wakeTimerFailureIsShownAfterTheSuspendWasLetGo_data()
    {
        QTest::addColumn<bool>("createWorks");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("closes");
        QTest::newRow("create") << false << "CreateWaitableTimer fail." << 0;
        QTest::newRow("arm") << true << "Can't Set Wait timer." << 1;
    }
    void wakeTimerFailureIsShownAfterTheSuspendWasLetGo()
    {
        QFETCH(bool, createWorks);
        QFETCH(QString, message);
        QFETCH(int, closes);
        timer.createWorks = createWorks;
        timer.armWorks = false;
        QString shown;
        int delayLocksWhileShown = -1;
        QTimer::singleShot(0, this, [&] {
            GU_MyMessageboxDlg* box = LastMessageBox();
            QVERIFY(box && box->isVisible());
            shown = QString::fromStdWString(box->text());
            delayLocksWhileShown = session.held(L"sleep", L"delay");
            box->Button(GU_MyMessageboxDlg::kOkButtonId)->click();
        });
        session.sendSleepSignal(true); // returns when the box is closed
        QCOMPARE(shown, message);
        QCOMPARE(delayLocksWhileShown, 0);
        QCOMPARE(timer.closes, closes);
    }

    // The same with the real machine's timer, whose RTC wake alarm is a file here.
    void realWakeTimerOnSuspend_data()
    {
        QTest::addColumn<QString>("rtc");
        QTest::addColumn<QString>("message");
        QTest::newRow("RTC alarm set") << "(file)" << "";
        QTest::newRow("no timer") << "/nonexistent/rtc0/wakealarm" << "CreateWaitableTimer fail.";
        QTest::newRow("not armed") << "/dev/full" << "Can't Set Wait timer.";
    }
    void realWakeTimerOnSuspend()
    {
        QFETCH(QString, rtc);
        QFETCH(QString, message);
        if (rtc == "(file)") {
            rtc = QtTestEnvironment::instance().makeDir("rtc") + "/wakealarm";
            QFile(rtc).open(QIODevice::WriteOnly | QIODevice::Truncate);
        }
        const std::time_t wake = std::time(nullptr) + 600;
        std::tm local{};
        localtime_r(&wake, &local);
        setPowerValue(PowerValue::RtcHour, local.tm_hour);
        setPowerValue(PowerValue::RtcMinute, local.tm_min);
        setPowerValue(PowerValue::RtcSecond, local.tm_sec);

        tray.reset();
        LinuxWakeTimer machineTimer(QFile::encodeName(rtc).toStdString(), [] { return -1; }); // no CAP_WAKE_ALARM
        tray = std::make_unique<CTrayWnd>(CTrayWnd::Services{&injector, &session, &machineTimer, &launcher});
        tray->SetHardType(HARD_TYPE_GX58);
        QVERIFY(tray->CreateEx());
        QString shown;
        QTimer closer;
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, this, [&] {
            if (GU_MyMessageboxDlg* box = LastMessageBox()) {
                shown = QString::fromStdWString(box->text());
                box->Button(GU_MyMessageboxDlg::kOkButtonId)->click();
            }
        });
        closer.start(0);
        session.sendSleepSignal(true); // returns when a box is closed
        closer.stop();
        QCOMPARE(shown, message);
        if (message.isEmpty()) {
            QFile file(rtc);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const qint64 set = file.readAll().toLongLong();
            QVERIFY2(set >= wake - 1 && set <= wake + 2, qPrintable(QString::number(set)));
        }
        tray.reset(); // before the timer it uses
    }

    void missingBusIsTracedOnce()
    {
        tray.reset();
        session.watchError = session.inhibitError = L"no system bus: Not connected to D-Bus server";
        TraceCapture capture;
        makeTray();
        session.sendSleepSignal(false); // no signal comes, but a resume would try the locks again
        tray->OnPowerBroadcast(CTrayWnd::PBT_APMRESUMEAUTOMATIC);
        const QStringList lines = capture.lines();
        QCOMPARE(lines.filter("no system bus").size(), 1);
    }

    void sleepSignalAfterTheTrayWindowIsGoneReachesNothing()
    {
        // The session outlives the tray window at every end of the program; a suspend or resume
        // arriving during shut-down must not run the window's handler.
        tray.reset();
        processDeferredDeletes();
        TraceCapture capture;
        session.sendSleepSignal(true);
        session.sendSleepSignal(false);
        QVERIFY(capture.lines().filter("System").isEmpty());
        QVERIFY(timer.due.empty());
        QCOMPARE(session.held(L"idle", L"block"), 0);
        // A tray window made afterwards holds the signal again.
        makeTray();
        session.sendSleepSignal(true);
        QVERIFY(capture.contains("App: System will enter S3"));
    }

    void closeRequestRecordsAndEnds()
    {
        setPowerValue(PowerValue::Watchdog, 1);
        QSignalSpy destroyed(tray.get(), &CTrayWnd::windowDestroyed);
        tray->ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
        TraceCapture capture;
        tray->close();
        QCOMPARE(capture.lines().mid(0, 2), (QStringList{"CTrayWnd: OnClose", "OnClose: vTimer_WatchdogTimerSwitch to OFF: bRet = 1"}));
        QCOMPARE(setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnClose\xFF01"));
        QCOMPARE(powerValue(PowerValue::Watchdog), 0);
        QCOMPARE(destroyed.size(), 1);
        QVERIFY(tray->MainDlg() == nullptr);
    }

    void endOfSession_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("watchdogLines");
        QTest::newRow("SIGTERM") << int(SIGTERM) << "APP Close! OnEndSession\uFF01" << 2;
        QTest::newRow("SIGHUP") << int(SIGHUP) << "APP Close! OnEndSession\uFF01" << 2;
        QTest::newRow("SIGINT") << int(SIGINT) << "APP Close! OnClose\uFF01" << 0;
    }
    void endOfSession()
    {
        QFETCH(int, signal);
        QFETCH(QString, record);
        QFETCH(int, watchdogLines);
        // A query alone already switches the watchdog off and leaves its record.
        setPowerValue(PowerValue::Watchdog, 1);
        QVERIFY(tray->OnQueryEndSession());
        QCOMPARE(setting(L"LOG", L"CONTENT"), std::wstring(L"APP Close! OnQueryEndSession\xFF01"));
        QCOMPARE(powerValue(PowerValue::Watchdog), 0);

        setPowerValue(PowerValue::Watchdog, 1);
        QSignalSpy destroyed(tray.get(), &CTrayWnd::windowDestroyed);
        SessionEndWatcher watcher(tray.get());
        TraceCapture capture;
        watcher.HandleSignal(signal);
        QCOMPARE(QString::fromStdWString(setting(L"LOG", L"CONTENT")), record);
        QCOMPARE(capture.lines().filter("OnEndSession: vTimer_WatchdogTimerSwitch to OFF: bRet = 1").size(), watchdogLines);
        QCOMPARE(powerValue(PowerValue::Watchdog), 0);
        QCOMPARE(destroyed.size(), 1);
    }

    void startProgramOrDocument_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QString>("para");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        const QString echo = QStandardPaths::findExecutable("echo");
        QTest::newRow("program on the PATH") << "echo" << "" << echo << QStringList{};
        QTest::newRow("quotes, no shell") << "/bin/echo" << R"("x y" `id` > /tmp/f)" << "/bin/echo"
                                          << QStringList{"x y", "`id`", ">", "/tmp/f"};
        QTest::newRow("web address") << "https://example.com/a?b=1&c=2" << "ignored" << "xdg-open"
                                     << QStringList{"https://example.com/a?b=1&c=2"};
        QTest::newRow("missing") << "no-such-program-tarvik" << "" << "" << QStringList{};
        QTest::newRow("empty") << "" << "x" << "" << QStringList{};
    }
    void startProgramOrDocument()
    {
        QFETCH(QString, cmd);
        QFETCH(QString, para);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const QByteArray map = "[HK_Config]\nFunctionNumber=1\nHardButtons=1\n[FunDef1]\ntype=2\ncmd=" + cmd.toUtf8() +
                               "\npara=" + para.toUtf8() + "\n[KeyDef1-1]\nfunid=1\nscancode=55\n";
        writeFile(AppDataPaths().keyMapFile, map);
        tray->LoadKeyMap();
        key(0x55);
        if (program.isEmpty()) {
            QCOMPARE(launcher.starts.size(), 0u);
            return;
        }
        QCOMPARE(launcher.starts.size(), 1u);
        QCOMPARE(QString::fromStdWString(launcher.starts[0].program), program);
        QStringList got;
        for (const std::wstring& a : launcher.starts[0].arguments)
            got << QString::fromStdWString(a);
        QCOMPARE(got, arguments);
    }

    void documentOpensWithItsAbsolutePath()
    {
        QTemporaryFile document(QDir::currentPath() + "/-a document XXXXXX.txt");
        QVERIFY(document.open());
        const QString relative = QFileInfo(document.fileName()).fileName();
        const QByteArray map = "[HK_Config]\nFunctionNumber=1\nHardButtons=1\n[FunDef1]\ntype=2\ncmd=" +
                               relative.toUtf8() + "\n[KeyDef1-1]\nfunid=1\nscancode=55\n";
        writeFile(AppDataPaths().keyMapFile, map);
        tray->LoadKeyMap();
        key(0x55);
        QCOMPARE(launcher.starts.size(), 1u);
        QCOMPARE(launcher.starts[0].program, std::wstring(L"xdg-open"));
        // A name that starts with "-" cannot pass for an option: it goes with its folder.
        QCOMPARE(launcher.starts[0].arguments, std::vector<std::wstring>{QFileInfo(document.fileName()).absoluteFilePath().toStdWString()});
    }
};

TARVIK_QTEST_MAIN(tst_CTrayWnd)
#include "tst_CTrayWnd.moc"
