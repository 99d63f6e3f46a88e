// The watchdog page and its expiry alert on the virtual board: the status at opening, the switch with
// the settings file written only after the library accepted, the timeout encoding both ways, RESET
// and the alert that only the close-children cascade closes.

#include "SystemPageTest.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "GU_SysWatchdogDlg.h"
#include "GU_WatchdogSimulateDlg.h"

#include <QRegularExpression>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Page = GU_SysWatchdogDlg;

namespace {

constexpr int kSeconds[9] = {1, 2, 4, 8, 16, 32, 64, 128, 256};

bool shown(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isVisible(); }
bool enabled(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isEnabled(); }
int state(const Page& page, int id) { return page.Button(id)->state(); }

// The seconds of the one timeout button selected; 0 for none, -2 for more than one.
int selectedTimeout(const Page& page)
{
    int found = 0;
    for (int i = 0; i < 9; ++i)
        if (state(page, Page::kTimeoutIds[i]) == 1)
            found = found ? -2 : kSeconds[i];
    return found;
}

QStringList pageLines(TraceCapture& capture)
{
    return capture.lines().filter(QRegularExpression("^(?!.*::OnPaint\\(\\))"));
}

QString enabledSetting()
{
    return QString::fromStdWString(ReadSettingText(L"SYS_WATCHDOG", L"IS_ENABLED", L"<none>"));
}

std::uint32_t expiries()
{
    return powerBoard()->memory().locked([](tarvik::board::PowerState& s) { return s.watchdogExpiries; });
}

} // namespace

class tst_GU_SysWatchdogDlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(createBoard("KTA"));
        setHardType({});
        setSetting(L"SYS_WATCHDOG", nullptr, nullptr);
    }

    void watchdogOnAtOpening()
    {
        QVERIFY(powerSet("Watchdog", "1"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemWatchdog"));
            QCOMPARE(state(page, Page::kSwitchId), 1);
            QVERIFY(shown(page, Page::kResetId));
            QVERIFY(enabled(page, Page::kResetId));
            QCOMPARE(page.Timeout(), Page::kNoTimeout);
            for (int id : Page::kTimeoutIds) {
                QVERIFY(!shown(page, id));
                QVERIFY(!enabled(page, id));
            }
        });
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.value(0), QString("GU_SysWatchdogDlg: OnInitDialog()"));
        QCOMPARE(lines.value(1), QString("getWatchdogStatus: vTimer_WatchdogTimerStatus: bRet = 1, bStatus = 1"));
        QCOMPARE(lines.value(2), QString("PROJECT HARD_TYPE = <GX58>"));
        QVERIFY(lines.filter("vTimer_WatchdogTimerGet").isEmpty()); // the timeout is not asked for
    }

    // Off: the byte read is the timeout minus one; a byte that is none of the nine codes selects none.
    void watchdogOffAtOpening_data()
    {
        QTest::addColumn<QString>("byte");
        QTest::addColumn<int>("selected");
        QTest::newRow("0 -> 1 sec") << "0" << 1;
        QTest::newRow("15 -> 16 sec") << "15" << 16;
        QTest::newRow("255 -> 256 sec") << "255" << 256;
        QTest::newRow("4 -> none") << "4" << 0;
    }
    void watchdogOffAtOpening()
    {
        QFETCH(QString, byte);
        QFETCH(int, selected);
        QVERIFY(powerSet("Watchdog", "0"));
        QVERIFY(powerSet("WatchdogTimeout", byte));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(state(page, Page::kSwitchId), 0);
            QVERIFY(!shown(page, Page::kResetId));
            QVERIFY(!enabled(page, Page::kResetId));
            QCOMPARE(page.Timeout(), byte.toInt() + 1);
            for (int id : Page::kTimeoutIds) {
                QVERIFY(shown(page, id));
                QVERIFY(enabled(page, id));
            }
            QCOMPARE(selectedTimeout(page), selected);
        });
        QVERIFY(pageLines(capture).contains(
            QString("getWatchdogTimerValue: vTimer_WatchdogTimerGet: bRet = 1, watchDogtimer = %1").arg(byte)));
    }

    // Each button sends its seconds minus one; a failed write is only traced.
    void timeoutButtons_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("fails");
        for (int i = 0; i < 9; ++i)
            QTest::addRow("%d sec", kSeconds[i]) << i << false;
        QTest::newRow("8 sec, write fails") << 3 << true;
    }
    void timeoutButtons()
    {
        QFETCH(int, index);
        QFETCH(bool, fails);
        QVERIFY(powerSet("Watchdog", "0"));
        QVERIFY(powerSet("WatchdogTimeout", "4"));
        if (fails)
            QVERIFY(kestromFail("vTimer_WatchdogTimerSet"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kTimeoutIds[index]), Qt::LeftButton);
            QCOMPARE(selectedTimeout(page), kSeconds[index]);
            QCOMPARE(page.Timeout(), kSeconds[index]);
        });
        const int code = kSeconds[index] - 1;
        QCOMPARE(powerValue(PowerValue::WatchdogTimeout), fails ? 4 : code);
        QVERIFY(boxes.texts.isEmpty());
        const QStringList lines = pageLines(capture);
        const int at = lines.indexOf("GU_SysWatchdogDlg: setWatchdogTimerValue()");
        QVERIFY(at > 0);
        QCOMPARE(lines.value(at + 1),
                 QString("setWatchdogTimerValue: vTimer_WatchdogTimerSet: bRet = %1, timerValue = %2").arg(fails ? 0 : 1).arg(code));
    }

    void switchOnAndOff()
    {
        QVERIFY(powerSet("Watchdog", "0"));
        QVERIFY(powerSet("WatchdogTimeout", "31"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kSwitchId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kSwitchId), 1);
            QCOMPARE(Page::SwitchState(), 1);
            QCOMPARE(powerValue(PowerValue::Watchdog), 1);
            QCOMPARE(enabledSetting(), QString("1"));
            QVERIFY(shown(page, Page::kResetId));
            QVERIFY(!shown(page, Page::kTimeoutIds[0]));

            QTest::mouseClick(page.Button(Page::kSwitchId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kSwitchId), 0);
            QCOMPARE(powerValue(PowerValue::Watchdog), 0);
            QCOMPARE(enabledSetting(), QString("0"));
            QVERIFY(!shown(page, Page::kResetId));
            QCOMPARE(selectedTimeout(page), 32); // read again from the library
        });
        QVERIFY(boxes.texts.isEmpty());
        const QStringList lines = pageLines(capture).filter(QRegularExpression("Switch|Status|TimerGet"));
        QCOMPARE(lines.mid(2), (QStringList{
            "OnClicked_SyswatchdogTimerSwitch: watchdog timer to ON",
            "OnClicked_SyswatchdogTimerSwitch: vTimer_WatchdogTimerSwitch: bRet = 1, m_bWatchdog_timer_Switch = 1",
            "getWatchdogStatus: vTimer_WatchdogTimerStatus: bRet = 1, bStatus = 1",
            "OnClicked_SyswatchdogTimerSwitch: watchdog timer to OFF",
            "OnClicked_SyswatchdogTimerSwitch: vTimer_WatchdogTimerSwitch: bRet = 1, m_bWatchdog_timer_Switch = 0",
            "getWatchdogStatus: vTimer_WatchdogTimerStatus: bRet = 1, bStatus = 0",
            "getWatchdogTimerValue: vTimer_WatchdogTimerGet: bRet = 1, watchDogtimer = 31",
        }));
    }

    // A refused switch: the message, the state back, nothing written to the settings file.
    void switchFails_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::newRow("to on") << "0";
        QTest::newRow("to off") << "1";
    }
    void switchFails()
    {
        QFETCH(QString, initial);
        QVERIFY(powerSet("Watchdog", initial));
        QVERIFY(kestromFail("vTimer_WatchdogTimerSwitch"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kSwitchId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kSwitchId), initial.toInt());
            QCOMPARE(Page::SwitchState(), initial.toInt());
            QCOMPARE(shown(page, Page::kResetId), initial == "1");
            QCOMPARE(shown(page, Page::kTimeoutIds[0]), initial == "0");
        });
        QCOMPARE(boxes.texts, QStringList{"Set watchdog timer fail."});
        QCOMPARE(powerValue(PowerValue::Watchdog), initial.toInt());
        QCOMPARE(enabledSetting(), QString("<none>"));
        const QStringList lines = pageLines(capture);
        QVERIFY(lines.contains(QString("OnClicked_SyswatchdogTimerSwitch: vTimer_WatchdogTimerSwitch: bRet = 0, "
                                       "m_bWatchdog_timer_Switch = %1").arg(initial == "1" ? 0 : 1)));
        // The status is not read again after a failure.
        QCOMPARE(lines.filter("vTimer_WatchdogTimerStatus").size(), 1);
    }

    void resetFails()
    {
        QVERIFY(powerSet("Watchdog", "1"));
        QVERIFY(kestromFail("vTimer_WatchdogTimerSimulate"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kResetId), Qt::LeftButton);
            QVERIFY(!page.Alert());
            QVERIFY(!FindWindowByTitle("Watchdog Simulate"));
        });
        QCOMPARE(boxes.texts, QStringList{"Watchdog simulate fail."});
        QCOMPARE(expiries(), 0u);
        QVERIFY(pageLines(capture).contains("OnClicked_SyswatchdogReset: vTimer_WatchdogTimerSimulate: bRet = 0"));
    }

    // RESET forces an expiry and shows the alert; Enter and Escape leave it, the cascade closes it.
    void resetShowsAlertUntilCascade()
    {
        QVERIFY(powerSet("Watchdog", "1"));
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        bool checked = false;
        runPage(page, [&] {
            QTimer::singleShot(0, &page, [&] {
                QWidget* alert = FindWindowByTitle("Watchdog Simulate");
                QVERIFY(alert);
                QCOMPARE(alert, static_cast<QWidget*>(page.Alert()));
                QVERIFY(page.Alert()->IsRunningModal());
                QCOMPARE(alert->size(), page.Alert()->Background().size());
                for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                    QTest::keyClick(alert, key);
                    QCoreApplication::processEvents();
                    QVERIFY(alert->isVisible());
                    QVERIFY(page.Alert()->IsRunningModal());
                }
                SendMessage(&page, WM_CLOSE_CHILDREN);
                checked = true;
            });
            QTest::mouseClick(page.Button(Page::kResetId), Qt::LeftButton);
            // The alert's run has ended.
            QVERIFY(page.Alert());
            QVERIFY(!page.Alert()->IsRunningModal());
            QVERIFY(!FindWindowByTitle("Watchdog Simulate"));
        });
        QVERIFY(checked);
        QVERIFY(boxes.texts.isEmpty());
        QCOMPARE(expiries(), 1u);
        const QStringList lines = pageLines(capture);
        const int at = lines.indexOf("OnClicked_SyswatchdogReset: watchdog timer simulate");
        QVERIFY(at > 0);
        QCOMPARE(lines.value(at + 1), QString("OnClicked_SyswatchdogReset: vTimer_WatchdogTimerSimulate: bRet = 1"));
        QCOMPARE(lines.value(at + 2), QString("GU_WatchdogSimulateDlg: OnInitDialog()"));
    }

    // A second RESET replaces the alert held by the page.
    void secondResetReplacesAlert()
    {
        QVERIFY(powerSet("Watchdog", "1"));
        Page page;
        runPage(page, [&] {
            QPointer<CPageDlg> first;
            for (int round = 0; round < 2; ++round) {
                QTimer::singleShot(0, &page, [&] { SendMessage(&page, WM_CLOSE_CHILDREN); });
                QTest::mouseClick(page.Button(Page::kResetId), Qt::LeftButton);
                if (round == 0)
                    first = page.Alert();
            }
            QVERIFY(page.Alert());
            QTRY_VERIFY(first.isNull());
        });
        QCOMPARE(expiries(), 2u);
    }

    void homeClosesPage()
    {
        QVERIFY(powerSet("Watchdog", "0"));
        TraceCapture capture;
        Page page;
        const int result = runPage(page, [&] { QTest::mouseClick(page.Button(Page::kHomeId), Qt::LeftButton); });
        QCOMPARE(result, IDCANCEL);
        QVERIFY(pageLines(capture).contains("GU_SysWatchdogDlg:OnClicked_SyswatchdogHome"));
    }

    void layout()
    {
        QVERIFY(powerSet("Watchdog", "0"));
        Page page;
        runPage(page, [&] {
            const struct {
                int id;
                QPoint at;
            } places[] = {{Page::kHomeId, {40, 445}},  {Page::kSwitchId, {282, 90}}, {1134, {520, 195}},
                          {1130, {610, 195}},          {1131, {700, 195}},           {1132, {790, 195}},
                          {1133, {880, 195}},          {1129, {520, 295}},           {1135, {610, 295}},
                          {1137, {700, 295}},          {1136, {790, 295}},           {Page::kResetId, {520, 410}}};
            for (const auto& place : places)
                QCOMPARE(page.GetDlgItem(place.id)->pos(), place.at);
            QCOMPARE(page.BackgroundName(), QString("IDB_SYSWATCHDOG_BASE_L"));
        });
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysWatchdogDlg)
#include "tst_GU_SysWatchdogDlg.moc"
