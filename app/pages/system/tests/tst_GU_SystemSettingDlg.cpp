// The system settings hub on the virtual board: the model table with the emergency latch, the UPS
// charge, the emergency reset, the sub-pages (one of each kind), the close-down cascade, and the way
// the tray window opens and closes it (inner command 2).

#include "SystemPageTest.h"
#include "TraceCapture.h"
#include "TrayFakes.h"

#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "CTrayWnd.h"
#include "Fonts.h"
#include "GU_SysPowerMgtDlg.h"
#include "GU_SystemSettingDlg.h"
#include "WindowMessages.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Hub = GU_SystemSettingDlg;

namespace {

void processDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct TileState {
    int state;
    bool enabled;
    bool visible;
};

} // namespace

Q_DECLARE_METATYPE(TileState)

class tst_GU_SystemSettingDlg : public QObject {
    Q_OBJECT

    RecordingInjector injector;
    FakeLoginSession session;
    FakeWakeTimer timer;
    RecordingLauncher launcher;

private slots:
    // First, before this process's power library has opened the controller (it keeps the file
    // mapped from then on): a damaged power.mem is replaced with the factory values and the hub
    // shows them.
    void aDamagedPowerFileGivesTheFactoryValues()
    {
        setHardType("GX58");
        QFile file(boardDir() + "/power.mem");
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(QByteArray(64, '\x5A')), qint64(64));
        file.close();
        Hub hub;
        runPage(hub, [&] { QCOMPARE(hub.ItemText(Hub::kUpsTextId), QString("90%")); });
    }

    void init()
    {
        QVERIFY(createBoard("KTA"));
        setHardType({});
        setSetting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", nullptr);
    }
    void cleanup() { processDeferredDeletes(); }

    void modelTable_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("keyDown"); // SYS_EMERGENCY/EMERGENCY_ISKEYDOWN, empty: missing
        QTest::addColumn<TileState>("power");
        QTest::addColumn<TileState>("emergency");
        QTest::addColumn<int>("programState");
        QTest::newRow("GX58, no key: latched") << "GX58" << "" << TileState{1, true, true} << TileState{2, true, true} << 1;
        QTest::newRow("GX58, latched") << "GX58" << "1" << TileState{1, true, true} << TileState{2, true, true} << 1;
        QTest::newRow("GX58, clear") << "GX58" << "0" << TileState{1, true, true} << TileState{1, false, true} << 1;
        QTest::newRow("no type: GX58") << "" << "0" << TileState{1, true, true} << TileState{1, false, true} << 1;
        QTest::newRow("RQ63_L") << "RQ63_L" << "1" << TileState{1, true, true} << TileState{0, false, true} << 0;
        QTest::newRow("RQ63_H") << "RQ63_H" << "1" << TileState{0, false, true} << TileState{0, false, true} << 0;
        QTest::newRow("RQ81") << "RQ81" << "1" << TileState{1, true, true} << TileState{0, false, false} << 1;
        QTest::newRow("RQ72") << "RQ72" << "1" << TileState{1, true, true} << TileState{0, false, false} << 1;
        QTest::newRow("unknown: as RQ63_L") << "KX99" << "1" << TileState{1, true, true} << TileState{0, false, true} << 0;
    }
    void modelTable()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, keyDown);
        QFETCH(TileState, power);
        QFETCH(TileState, emergency);
        QFETCH(int, programState);
        setHardType(hardType);
        if (!keyDown.isEmpty())
            setSetting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", keyDown.toStdWString().c_str());
        TraceCapture capture;
        Hub hub;
        runPage(hub, [&] {
            const std::pair<int, TileState> tiles[] = {{Hub::kPowerMgtId, power}, {Hub::kEmergencyId, emergency}};
            for (const auto& [id, expected] : tiles) {
                CMyBitmapButton* button = hub.Button(id);
                QCOMPARE(button->state(), expected.state);
                QCOMPARE(button->isEnabled(), expected.enabled);
                QCOMPARE(button->isVisible(), expected.visible);
            }
            QCOMPARE(hub.Button(Hub::kProgButtonId)->state(), programState);
        });
        const QStringList lines = capture.lines();
        QCOMPARE(lines.value(0), QString("GU_SystemSettingDlg: OnInitDialog()"));
        QVERIFY(lines.contains(QString("PROJECT HARD_TYPE = <%1>").arg(hardType.isEmpty() ? "GX58" : hardType)));
    }

    // Tiles whose page is not built yet are disabled, say so, and look greyed; built ones open.
    void subPagesNotBuiltAreDisabled()
    {
        setHardType("GX58");
        TraceCapture capture;
        Hub hub;
        runPage(hub, [&] {
            for (int id : {Hub::kPowerMgtId, Hub::kIoConfId, Hub::kWatchdogId, Hub::kWakeupId, Hub::kBrightnessId,
                           Hub::kProgButtonId}) {
                QCOMPARE(hub.Button(id)->isEnabled(), Hub::HasSubPage(id));
                if (!Hub::HasSubPage(id))
                    QVERIFY(!hub.Button(id)->image(3).isNull());
            }
        });
        QVERIFY(Hub::HasSubPage(Hub::kPowerMgtId));
        int missing = 0;
        for (int id : {Hub::kIoConfId, Hub::kWatchdogId, Hub::kWakeupId, Hub::kBrightnessId, Hub::kProgButtonId})
            missing += !Hub::HasSubPage(id);
        QCOMPARE(capture.lines().filter(QRegularExpression("^GU_SystemSettingDlg: the .* page is not built yet; its "
                                                           "button is disabled$")).size(),
                 missing);
    }

    void layout()
    {
        Hub hub;
        runPage(hub, [&] {
            QCOMPARE(hub.windowTitle(), QString("SystemSetting"));
            QCOMPARE(hub.geometry(), QRect(0, 0, 1024, 600));
            QCOMPARE(hub.Button(Hub::kHomeId)->pos(), QPoint(40, 445));
            const std::pair<int, QPoint> tiles[] = {
                {Hub::kPowerMgtId, {318, 95}}, {Hub::kUpsId, {318, 200}},      {Hub::kIoConfId, {318, 305}},
                {Hub::kWatchdogId, {318, 410}}, {Hub::kWakeupId, {668, 95}},    {Hub::kEmergencyId, {668, 200}},
                {Hub::kBrightnessId, {668, 305}}, {Hub::kProgButtonId, {668, 410}}};
            for (const auto& [id, place] : tiles) {
                QCOMPARE(hub.Button(id)->pos(), place);
                QCOMPARE(hub.Button(id)->size(), QSize(330, 95)); // sized to its picture
            }
            QVERIFY(!hub.Button(Hub::kUpsId)->isEnabled()); // a picture only
            QLabel* ups = hub.Text(Hub::kUpsTextId);
            QCOMPARE(ups->geometry(), QRect(468, 250, 140, 93));
            QCOMPARE(ups->font(), MakeArialFont(30, 400)); // a 30-pixel cell, normal weight
            QCOMPARE(ups->palette().color(QPalette::WindowText), QColor(Qt::white));
        });
    }

    void upsCharge_data()
    {
        QTest::addColumn<QString>("capacity");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("line");
        QTest::newRow("85") << "85" << false << "85%" << "bRet = 1, bUPSCpacity = 85";
        QTest::newRow("0") << "0" << false << "0%" << "bRet = 1, bUPSCpacity = 0";
        QTest::newRow("odd 150") << "150" << false << "150%" << "bRet = 1, bUPSCpacity = 150";
        QTest::newRow("read fails") << "85" << true << "-" << "bRet = 0, bUPSCpacity = 0";
    }
    void upsCharge()
    {
        QFETCH(QString, capacity);
        QFETCH(bool, fails);
        QFETCH(QString, shown);
        QFETCH(QString, line);
        QVERIFY(powerSet("UpsCapacity", capacity));
        if (fails)
            QVERIFY(kestromFail("vUPSBatteryCapacity"));
        TraceCapture capture;
        Hub hub;
        runPage(hub, [&] { QCOMPARE(hub.ItemText(Hub::kUpsTextId), shown); });
        QVERIFY(capture.contains("getUPSStatus:vUPSBatteryCapacity: " + line));
    }

    void emergencyReset_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("reset") << false;
        QTest::newRow("reset fails") << true;
    }
    void emergencyReset()
    {
        QFETCH(bool, fails);
        setHardType("GX58");
        QVERIFY(boardTool({"power", "emergency"}));
        setSetting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", L"1");
        if (fails)
            QVERIFY(kestromFail("EB_EmergencyButtonReset"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Hub hub;
        runPage(hub, [&] {
            CMyBitmapButton* button = hub.Button(Hub::kEmergencyId);
            QVERIFY(button->isEnabled());
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(button->state(), fails ? 2 : 1);
            QCOMPARE(button->isEnabled(), fails);
        });
        QCOMPARE(ReadSettingInt(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", -1), fails ? 1 : 0);
        QCOMPARE(powerValue(PowerValue::EmergencyLatch), fails ? 1 : 0);
        QCOMPARE(boxes.texts, fails ? QStringList{"Clear emergency button fail!"} : QStringList{});
        const QStringList lines = capture.lines();
        const int click = lines.indexOf("GU_SystemSettingDlg:OnClicked_SysEmergencybutton");
        QVERIFY(click >= 0);
        QCOMPARE(lines.value(click + 1),
                 QString("OnClicked_SysEmergencybutton: EB_EmergencyButtonReset: bRet = %1").arg(fails ? 0 : 1));
    }

    // The power page opened twice from one hub: the first object is gone before the second runs;
    // the tile shows its state-1 picture again after each press.
    void openingASubPageTwiceLeavesOne()
    {
        setHardType("GX58");
        TraceCapture capture;
        Hub hub;
        QList<QPointer<CPageDlg>> opened;
        runPage(hub, [&] {
            for (int i = 0; i < 2; ++i) {
                bool running = false;
                QString title;
                int tileState = -1;
                QTimer::singleShot(0, &hub, [&] {
                    CPageDlg* page = Hub::SubPage(Hub::kPowerMgtId);
                    opened << page;
                    running = page && page->IsRunningModal();
                    title = page ? page->windowTitle() : QString();
                    tileState = hub.Button(Hub::kPowerMgtId)->state();
                    if (running)
                        page->EndDialog(IDCANCEL);
                });
                QTest::mouseClick(hub.Button(Hub::kPowerMgtId), Qt::LeftButton);
                QVERIFY(running);
                QCOMPARE(title, QString("SystemPowerMgt"));
                QCOMPARE(tileState, 1);
            }
            QCOMPARE(opened.size(), 2);
            QVERIFY(!opened[0]); // destroyed when the second was opened
            QVERIFY(opened[1]);
            QCOMPARE(Hub::SubPage(Hub::kPowerMgtId), opened[1].data());
        });
        QCOMPARE(capture.count("GU_SystemSettingDlg:OnClicked_SysPowermgt"), 2);
        // The hub's run has ended: the sub-page it held is gone with its window.
        QVERIFY(!opened[1]);
        QVERIFY(!Hub::SubPage(Hub::kPowerMgtId));
    }

    // Each tile opens its own page, traced with its handler.
    void tilesOpenTheirPages_data()
    {
        QTest::addColumn<int>("tile");
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("title");
        QTest::newRow("watchdog") << int(Hub::kWatchdogId) << "OnClicked_SysWatchdog" << "SystemWatchdog";
        QTest::newRow("I/O") << int(Hub::kIoConfId) << "OnClicked_SysIoconf" << "SystemIOConf";
        QTest::newRow("brightness") << int(Hub::kBrightnessId) << "OnClicked_SysBrightness" << "SystemBrightness";
        QTest::newRow("wake-up") << int(Hub::kWakeupId) << "OnClicked_SysWakeup" << "SystemWakeup";
    }
    void tilesOpenTheirPages()
    {
        QFETCH(int, tile);
        QFETCH(QString, handler);
        QFETCH(QString, title);
        setHardType("GX58");
        TraceCapture capture;
        Hub hub;
        runPage(hub, [&] {
            QVERIFY(hub.Button(tile)->isEnabled());
            bool running = false;
            QString seen;
            QTimer::singleShot(0, &hub, [&] {
                CPageDlg* page = Hub::SubPage(tile);
                running = page && page->IsRunningModal();
                seen = page ? page->windowTitle() : QString();
                if (running)
                    page->EndDialog(IDCANCEL);
            });
            QTest::mouseClick(hub.Button(tile), Qt::LeftButton);
            QVERIFY(running);
            QCOMPARE(seen, title);
        });
        QCOMPARE(capture.count("GU_SystemSettingDlg:" + handler), 1);
    }

    void closeDownCascadesOverTheSubPageTitles()
    {
        QStringList log;
        std::vector<std::unique_ptr<TitledWindow>> windows;
        // Made in another order than the cascade's, which goes by title.
        for (const char* title : {"SystemWatchdog", "SystemWakeup", "SystemProgramButton", "SystemPowerMgt",
                                  "SystemIOConf", "SystemBrightness"})
            windows.push_back(std::make_unique<TitledWindow>(title, log));
        Hub hub;
        runPage(hub, [&] {
            QCOMPARE(SendMessage(&hub, WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(hub.isVisible());
        });
        QCOMPARE(log, cascadeLog({"SystemBrightness", "SystemIOConf", "SystemPowerMgt", "SystemProgramButton",
                                  "SystemWakeup", "SystemWatchdog"}));
    }

    // With the power page open, the close-down ends it and leaves the hub open.
    void closeDownEndsTheOpenPowerPage()
    {
        setHardType("GX58");
        Hub hub;
        int pageResult = -1;
        runPage(hub, [&] {
            QTimer::singleShot(0, &hub, [&] { SendMessage(&hub, WM_CLOSE_CHILDREN); });
            QTest::mouseClick(hub.Button(Hub::kPowerMgtId), Qt::LeftButton);
            pageResult = Hub::SubPage(Hub::kPowerMgtId) ? Hub::SubPage(Hub::kPowerMgtId)->result() : -1;
            QVERIFY(hub.isVisible());
        });
        QCOMPARE(pageResult, IDCANCEL);
    }

    void homeEndsTheHub()
    {
        TraceCapture capture;
        Hub hub;
        QTimer::singleShot(0, &hub, [&] { QTest::mouseClick(hub.Button(Hub::kHomeId), Qt::LeftButton); });
        QCOMPARE(hub.DoModal(), IDCANCEL);
        QVERIFY(capture.contains("GU_SystemSettingDlg:OnClicked_SystemsettingHome"));
    }

    void registersWithTheTrayWhileItsWindowIsOpen()
    {
        CTrayWnd tray(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        QVERIFY(tray.CreateEx());
        {
            Hub hub;
            QCOMPARE(tray.SystemSettingPage(), &hub);
            runPage(hub, [&] { QCOMPARE(tray.SystemSettingPage(), &hub); });
            QCOMPARE(tray.SystemSettingPage(), nullptr);
        }
        // A hub destroyed before it ever ran clears it too.
        auto hub = std::make_unique<Hub>();
        QCOMPARE(tray.SystemSettingPage(), hub.get());
        hub.reset();
        QCOMPARE(tray.SystemSettingPage(), nullptr);
    }

    // Inner command 2: the first opens the home screen directly on the hub; the second, while the
    // hub is open, closes both; a third opens them again.
    void innerCommandTwoOpensAndCloses()
    {
        CTrayWnd tray(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        QVERIFY(tray.CreateEx());
        TraceCapture capture;
        for (int round = 0; round < 2; ++round) {
            QPointer<CGX58_UtilityDlg> main;
            QPointer<QWidget> hub;
            bool openOnTheHub = false;
            QTimer::singleShot(0, &tray, [&] { // inside the hub's run
                main = tray.MainDlg();
                hub = FindWindowByTitle("SystemSetting");
                openOnTheHub = main && main->isVisible() && hub && tray.SystemSettingPage() == hub.data() &&
                               static_cast<QWidget*>(main->SectionPage(CGX58_UtilityDlg::kSettingsId)) == hub.data();
                tray.ProcessInnerCmdEvent(2);
            });
            tray.ProcessInnerCmdEvent(2); // returns when the hub's run has ended
            QVERIFY(openOnTheHub);
            QVERIFY(!tray.MainDlg());
            QVERIFY(!FindWindowByTitle("SystemSetting"));
            QVERIFY(!tray.SystemSettingPage());
            processDeferredDeletes();
            QVERIFY(!main);
            QVERIFY(!hub);
        }
        QCOMPARE(capture.count("GU_SystemSettingDlg: OnInitDialog()"), 2);
    }

    // Closed with Home, the hub no longer stands for open system settings: the next inner command 2
    // opens it again (on a new home screen) instead of only closing the home screen.
    void innerCommandTwoAfterHomeOpensTheHubAgain()
    {
        CTrayWnd tray(CTrayWnd::Services{&injector, &session, &timer, &launcher});
        QVERIFY(tray.CreateEx());
        QTimer::singleShot(0, &tray, [&] {
            if (auto* hub = qobject_cast<Hub*>(FindWindowByTitle("SystemSetting")))
                QTest::mouseClick(hub->Button(Hub::kHomeId), Qt::LeftButton);
        });
        tray.ProcessInnerCmdEvent(2);
        QPointer<CGX58_UtilityDlg> first = tray.MainDlg();
        QVERIFY(first && first->isVisible()); // the home screen stays
        QVERIFY(!tray.SystemSettingPage());
        bool reopened = false;
        QTimer::singleShot(0, &tray, [&] {
            auto* hub = qobject_cast<Hub*>(FindWindowByTitle("SystemSetting"));
            reopened = hub && tray.SystemSettingPage() == hub && tray.MainDlg() && tray.MainDlg() != first.data();
            if (hub)
                hub->EndDialog(IDCANCEL);
        });
        tray.ProcessInnerCmdEvent(2);
        QVERIFY(reopened);
        tray.ShowPage(CTrayWnd::SHOWPAGE_TOGGLE);
    }

    void opensWithEveryCallFailing()
    {
        setHardType("GX58");
        setSetting(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", L"1");
        QVERIFY(kestromFail("all"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Hub hub;
        runPage(hub, [&] {
            QVERIFY(hub.isVisible());
            QCOMPARE(hub.ItemText(Hub::kUpsTextId), QString("-"));
            QTest::mouseClick(hub.Button(Hub::kEmergencyId), Qt::LeftButton);
        });
        QCOMPARE(boxes.texts, QStringList{"Clear emergency button fail!"});
        QVERIFY(capture.contains("OnClicked_SysEmergencybutton: EB_EmergencyButtonReset: bRet = 0"));
    }
};

TARVIK_QTEST_MAIN(tst_GU_SystemSettingDlg)
#include "tst_GU_SystemSettingDlg.moc"
