// The power management page on the virtual board, in both flavours: the model table and the master
// switch, the input voltage list and what it sends, the delay switches and codes, the sensor-mode and
// power-button calls, the voltage dialogs it opens, and odd or failing controller values.

#include "SystemPageTest.h"
#include "TraceCapture.h"

#include <QRegularExpression>

#include "CBitComboBox.h"
#include "CMyBitmapButton.h"
#include "Fonts.h"
#include "GU_SysPowerMgtDlg.h"

#include <QLabel>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Page = GU_SysPowerMgtDlg;

namespace {

bool shown(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isVisible(); }
bool enabled(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isEnabled(); }
int state(const Page& page, int id) { return page.Button(id)->state(); }

// The user's choice of a row in a list (the selection-change notification).
void choose(Page& page, int listId, int row)
{
    CBitComboBox* list = page.Combo(listId);
    list->setCurrentIndex(row);
    emit list->activated(row);
}

QStringList pageLines(TraceCapture& capture)
{
    // Paint traces come and go with the offscreen window; the page's own lines are the rest.
    return capture.lines().filter(QRegularExpression("^(?!.*::OnPaint\\(\\))"));
}

} // namespace

class tst_GU_SysPowerMgtDlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(createBoard("KTA"));
        setHardType({});
    }

    // Which switches each type shows and what the master switch does to the sections below it.
    void flavours_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("accDetect");   // AccDetect in the controller
        QTest::addColumn<QString>("senseMode");   // AccSenseMode in the controller
        QTest::addColumn<bool>("detectShown");
        QTest::addColumn<bool>("detectEnabled");
        QTest::addColumn<bool>("sensorShown");
        QTest::addColumn<bool>("master");
        // A GX58 always follows the ignition: the controller's 0 is not asked for.
        QTest::newRow("GX58") << "GX58" << "0" << "0" << false << false << false << true;
        QTest::newRow("RQ63_L, detection on") << "RQ63_L" << "1" << "0" << true << true << false << true;
        QTest::newRow("RQ63_L, detection off") << "RQ63_L" << "0" << "1" << true << true << false << false;
        QTest::newRow("RQ63_H: never") << "RQ63_H" << "1" << "1" << true << false << false << false;
        QTest::newRow("RQ81, sensor mode on") << "RQ81" << "0" << "1" << false << false << true << true;
        QTest::newRow("RQ81, sensor mode off") << "RQ81" << "1" << "0" << false << false << true << false;
        QTest::newRow("RQ72, sensor mode on") << "RQ72" << "0" << "1" << false << false << true << true;
    }
    void flavours()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, accDetect);
        QFETCH(QString, senseMode);
        QFETCH(bool, detectShown);
        QFETCH(bool, detectEnabled);
        QFETCH(bool, sensorShown);
        QFETCH(bool, master);
        setHardType(hardType);
        QVERIFY(powerSet("AccDetect", accDetect));
        QVERIFY(powerSet("AccSenseMode", senseMode));
        QVERIFY(powerSet("AccLine", "1"));
        QVERIFY(powerSet("InputVoltage", "24"));
        QVERIFY(powerSet("PowerOnDelayEnabled", "1"));
        QVERIFY(powerSet("PowerOffDelayEnabled", "0"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemPowerMgt"));
            QCOMPARE(shown(page, Page::kAccDetectId), detectShown);
            QCOMPARE(enabled(page, Page::kAccDetectId), detectEnabled);
            if (detectShown)
                QCOMPARE(state(page, Page::kAccDetectId), int(master));
            QCOMPARE(shown(page, Page::kAccSensorModeId), sensorShown);
            QCOMPARE(shown(page, Page::kPowerButtonId), sensorShown);
            if (sensorShown)
                QCOMPARE(state(page, Page::kAccSensorModeId), int(master));
            // The ignition pair: one of the twins on GX58 and RQ63, none on RQ81 and RQ72.
            QCOMPARE(shown(page, Page::kAccStatusId), !sensorShown && master);
            QCOMPARE(shown(page, Page::kAccStatusGreyId), !sensorShown && !master);
            for (int id : {Page::kAccStatusId, Page::kAccStatusGreyId, Page::kInputVoltageCaptionId, Page::kVoltageCaptionId})
                QVERIFY(!enabled(page, id)); // they only show a state
            QCOMPARE(state(page, Page::kInputVoltageCaptionId), int(master));
            QCOMPARE(state(page, Page::kVoltageCaptionId), int(master));
            for (int id : {Page::kInputVoltageListId, Page::kInputVoltageTextId}) {
                QCOMPARE(shown(page, id), master);
                QCOMPARE(enabled(page, id), master);
            }
            QCOMPARE(shown(page, Page::kVoltageSetId), master);
            // Delay switches: the active twin with the master on, the greyed one without.
            QCOMPARE(shown(page, Page::kPowerOnDelayId), master);
            QCOMPARE(shown(page, Page::kPowerOnDelayGreyId), !master);
            QVERIFY(!enabled(page, Page::kPowerOnDelayGreyId));
            QCOMPARE(state(page, master ? Page::kPowerOnDelayId : Page::kPowerOnDelayGreyId), 1);
            QCOMPARE(state(page, master ? Page::kPowerOffDelayId : Page::kPowerOffDelayGreyId), 0);
            QCOMPARE(shown(page, Page::kPowerOnListId), master);
            QCOMPARE(shown(page, Page::kPowerOnTextId), master);
            QVERIFY(!shown(page, Page::kPowerOffListId)); // its switch is off
            QVERIFY(!shown(page, Page::kSecondListId));
            QVERIFY(!shown(page, Page::kSecondTextId));
        });
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.value(0), QString("GU_SysPowerMgtDlg: OnInitDialog()"));
        QCOMPARE(lines.value(1), QString("PROJECT HARD_TYPE = <%1>").arg(hardType));
        QCOMPARE(lines.filter("WU_WakeOnACCStatus").size(), hardType == "RQ63_L" ? 1 : 0);
        if (sensorShown)
            QVERIFY(lines.contains(QString("vPM_ACCSenseModeGetting :vPM_ACCSenseModeGetting: bRet = 1, acc sensor mode = %1").arg(senseMode)));
        else
            QVERIFY(lines.contains("getAccStatus success :vPM_ACCStatus: 1"));
    }

    void unknownTypeMakesNoCall()
    {
        setHardType("KX99");
        QVERIFY(kestromFail("all")); // any call would be traced with bRet = 0
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemPowerMgt"));
            QVERIFY(shown(page, Page::kHomeId));
            QVERIFY(!shown(page, Page::kInputVoltageListId));
            QVERIFY(!shown(page, Page::kAccDetectId));
        });
        QCOMPARE(pageLines(capture), (QStringList{"GU_SysPowerMgtDlg: OnInitDialog()", "PROJECT HARD_TYPE = <KX99>"}));
    }

    void layout()
    {
        setHardType("GX58");
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.geometry(), QRect(0, 0, 1024, 600));
            const std::pair<int, QPoint> buttons[] = {{Page::kHomeId, {40, 445}},          {Page::kAccStatusId, {685, 90}},
                                                      {Page::kInputVoltageCaptionId, {322, 175}},
                                                      {Page::kVoltageCaptionId, {322, 260}}, {Page::kVoltageSetId, {715, 265}},
                                                      {Page::kPowerOnDelayId, {322, 350}},  {Page::kPowerOffDelayId, {322, 435}}};
            for (const auto& [id, place] : buttons)
                QCOMPARE(page.Button(id)->pos(), place);
            const std::pair<int, QRect> texts[] = {{Page::kInputVoltageTextId, {810, 200, 170, 40}},
                                                   {Page::kPowerOnTextId, {810, 365, 170, 40}},
                                                   {Page::kPowerOffTextId, {810, 450, 170, 40}}};
            for (const auto& [id, rect] : texts) {
                QCOMPARE(page.Text(id)->geometry(), rect);
                QCOMPARE(page.Text(id)->font(), MakeArialFont(30, 400)); // a 30-pixel cell, normal weight
            }
            const std::pair<int, QPoint> lists[] = {
                {Page::kInputVoltageListId, {710, 172}}, {Page::kPowerOnListId, {710, 345}}, {Page::kPowerOffListId, {710, 430}}};
            for (const auto& [id, place] : lists) {
                QCOMPARE(page.Combo(id)->pos(), place);
                QCOMPARE(page.Combo(id)->width(), 89);
            }
            QCOMPARE(page.Combo(Page::kPowerOnListId)->count(), 8);
            QCOMPARE(page.Combo(Page::kPowerOffListId)->itemText(5), QString("15 min"));
            QCOMPARE(page.Combo(Page::kPowerOnListId)->itemText(7), QString("6 hr"));
        });
    }

    // What the page shows for the controller's input voltage.
    void readsTheInputVoltage_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("volts"); // empty: the read fails
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<QString>("line");
        QTest::newRow("GX58 12") << "GX58" << "12" << 0 << "12V" << true << "getInputVoltage success :vPM_InputVoltageGet: 12";
        QTest::newRow("GX58 24") << "GX58" << "24" << 1 << "24V" << true << "getInputVoltage success :vPM_InputVoltageGet: 24";
        QTest::newRow("GX58 wide") << "GX58" << "9" << 2 << "9-36V" << false << "getInputVoltage success :vPM_InputVoltageGet: 9";
        QTest::newRow("GX58 48") << "GX58" << "48" << 2 << "9-36V" << false << "getInputVoltage success :vPM_InputVoltageGet: 48";
        QTest::newRow("RQ63_L wide") << "RQ63_L" << "9" << 2 << "9-32V" << false << "getInputVoltage success :vPM_InputVoltageGet: 9";
        QTest::newRow("GX58 fails") << "GX58" << "" << 2 << "9-36V" << false << "getInputVoltage failed :vPM_InputVoltageGet: 0";
        QTest::newRow("RQ81 36") << "RQ81" << "36" << 2 << "36V" << true << "getInputVoltage_RQ81 success :vPM_InputVoltageGet: 36";
        QTest::newRow("RQ81 48") << "RQ81" << "48" << 3 << "48V" << true << "getInputVoltage_RQ81 success :vPM_InputVoltageGet: 48";
        QTest::newRow("RQ81 wide") << "RQ81" << "9" << 4 << "9-60V" << false << "getInputVoltage_RQ81 success :vPM_InputVoltageGet: 9";
        QTest::newRow("RQ72 odd 999") << "RQ72" << "999" << 4 << "9-60V" << false << "getInputVoltage_RQ81 success :vPM_InputVoltageGet: 999";
        QTest::newRow("RQ81 fails") << "RQ81" << "" << 4 << "9-60V" << false << "getInputVoltage_RQ81 failed :vPM_InputVoltageGet: 0";
    }
    void readsTheInputVoltage()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, volts);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, dialog);
        QFETCH(QString, line);
        setHardType(hardType);
        QVERIFY(powerSet("AccDetect", "1"));
        QVERIFY(powerSet("AccSenseMode", "1"));
        QVERIFY(powerSet("InputVoltage", volts.isEmpty() ? "24" : volts));
        if (volts.isEmpty())
            QVERIFY(kestromFail("vPM_InputVoltageGet"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            CBitComboBox* list = page.Combo(Page::kInputVoltageListId);
            QCOMPARE(list->count(), hardType.startsWith("RQ8") || hardType == "RQ72" ? 5 : 3);
            QCOMPARE(list->GetCurSel(), row);
            QCOMPARE(page.ItemText(Page::kInputVoltageTextId), text);
            QCOMPARE(list->itemText(row), text);
            QCOMPARE(enabled(page, Page::kVoltageSetId), dialog);
            QCOMPARE(state(page, Page::kVoltageSetId), int(dialog));
        });
        QVERIFY(capture.contains(line));
        QCOMPARE(Page::InputVoltage(), volts.isEmpty() ? 0 : volts.toInt());
        // Opening writes nothing: an odd value stays as it was.
        QCOMPARE(powerValue(PowerValue::InputVoltage), volts.isEmpty() ? 24 : volts.toInt());
    }

    // Each row of the list: what it sends, what it shows and what becomes of the dialog button.
    void choosesAnInputVoltage_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("sent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("inputVoltage");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<QString>("name"); // in the trace
        QTest::newRow("GX58 12V") << "GX58" << 0 << 12 << "12V" << 12 << true << "12v";
        QTest::newRow("GX58 24V") << "GX58" << 1 << 24 << "24V" << 24 << true << "24v";
        QTest::newRow("GX58 wide") << "GX58" << 2 << 9 << "9-36V" << 36 << false << "9-36v";
        QTest::newRow("RQ63_L wide") << "RQ63_L" << 2 << 9 << "9-32V" << 36 << false << "9-36v";
        QTest::newRow("RQ81 12V") << "RQ81" << 0 << 12 << "12V" << 12 << true << "12v";
        QTest::newRow("RQ81 24V") << "RQ81" << 1 << 24 << "24V" << 24 << true << "24v";
        QTest::newRow("RQ81 36V") << "RQ81" << 2 << 36 << "36V" << 36 << true << "36v";
        QTest::newRow("RQ81 48V") << "RQ81" << 3 << 48 << "48V" << 48 << true << "48v";
        QTest::newRow("RQ72 wide") << "RQ72" << 4 << 9 << "9-60V" << 60 << false << "9-60v";
    }
    void choosesAnInputVoltage()
    {
        QFETCH(QString, hardType);
        QFETCH(int, row);
        QFETCH(int, sent);
        QFETCH(QString, text);
        QFETCH(int, inputVoltage);
        QFETCH(bool, dialog);
        QFETCH(QString, name);
        setHardType(hardType);
        QVERIFY(powerSet("AccDetect", "1"));
        QVERIFY(powerSet("AccSenseMode", "1"));
        // Start from the other kind of row, so that the button has to change.
        QVERIFY(powerSet("InputVoltage", dialog ? "9" : "12"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            choose(page, Page::kInputVoltageListId, row);
            QCOMPARE(page.ItemText(Page::kInputVoltageTextId), text);
            QCOMPARE(enabled(page, Page::kVoltageSetId), dialog);
            QCOMPARE(state(page, Page::kVoltageSetId), int(dialog));
            if (!dialog) {
                // The wide range has no thresholds: the button does nothing.
                QTest::mouseClick(page.Button(Page::kVoltageSetId), Qt::LeftButton);
                QVERIFY(!Page::VoltageDialog(inputVoltage));
                for (const char* title : {"SystemPowerMgt12V", "SystemPowerMgt24V", "SystemPowerMgtRQ81_36V"})
                    QVERIFY(!FindWindowByTitle(title));
            }
        });
        QCOMPARE(powerValue(PowerValue::InputVoltage), sent);
        QCOMPARE(Page::InputVoltage(), inputVoltage);
        const QString hardIndex = QString::number(Page::CurrentHardType());
        QVERIFY(capture.contains(QString("OnSelchange_SyspowerInputvoltageCombo :inputVoltageCur = %1, m_hard_type = %2").arg(row).arg(hardIndex)));
        QVERIFY(capture.contains("OnSelchange_SyspowerInputvoltageCombo :vPM_InputVoltageSet: bRet = 1, " + name));
        QVERIFY(!capture.contains("OnClicked_SyspowerSsvoltageSet: inputVoltage = " + QString::number(inputVoltage)));
    }

    void aFailedInputVoltageSetChangesNothing()
    {
        setHardType("GX58");
        QVERIFY(powerSet("InputVoltage", "24"));
        QVERIFY(kestromFail("vPM_InputVoltageSet"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            choose(page, Page::kInputVoltageListId, 2);
            QVERIFY(enabled(page, Page::kVoltageSetId)); // as it was for 24 V
            QCOMPARE(state(page, Page::kVoltageSetId), 1);
        });
        QCOMPARE(Page::InputVoltage(), 24);
        QVERIFY(capture.contains("OnSelchange_SyspowerInputvoltageCombo :vPM_InputVoltageSet: bRet = 0, 9-36v"));
    }

    // ACC detection off and on again on a wide-range RQ63_L: the sections come back, the dialog
    // button stays disabled; the switch keeps its new state whatever the library says.
    void accDetectionOffAndOn_data()
    {
        QTest::addColumn<bool>("switchFails");
        QTest::newRow("switch works") << false;
        QTest::newRow("switch fails") << true;
    }
    void accDetectionOffAndOn()
    {
        QFETCH(bool, switchFails);
        setHardType("RQ63_L");
        QVERIFY(powerSet("AccDetect", "1"));
        QVERIFY(powerSet("InputVoltage", "9"));
        if (switchFails)
            QVERIFY(kestromFail("WU_WakeOnACCSwitch"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kAccDetectId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kAccDetectId), 0);
            QVERIFY(!shown(page, Page::kInputVoltageListId));
            QVERIFY(!shown(page, Page::kVoltageSetId));
            QVERIFY(shown(page, Page::kAccStatusGreyId));
            QVERIFY(shown(page, Page::kPowerOnDelayGreyId));
            QTest::mouseClick(page.Button(Page::kAccDetectId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kAccDetectId), 1);
            QVERIFY(shown(page, Page::kInputVoltageListId));
            QVERIFY(shown(page, Page::kVoltageSetId));
            QVERIFY(!enabled(page, Page::kVoltageSetId));
            QVERIFY(shown(page, Page::kPowerOnDelayId));
        });
        QCOMPARE(powerValue(PowerValue::AccDetect), 1);
        const QString bRet = switchFails ? "0" : "1";
        QStringList clicks = capture.lines().filter("OnClicked_SyspowerAccDetect");
        QCOMPARE(clicks, (QStringList{"OnClicked_SyspowerAccDetect: ACC Detect to Disable",
                                      "OnClicked_SyspowerAccDetect: WU_WakeOnACCSwitch: bRet = " + bRet + ", m_bAcc_Detect = 0",
                                      "OnClicked_SyspowerAccDetect: ACC Detect to Enable",
                                      "OnClicked_SyspowerAccDetect: WU_WakeOnACCSwitch: bRet = " + bRet + ", m_bAcc_Detect = 1"}));
    }

    void delaySwitch_data()
    {
        QTest::addColumn<bool>("powerOn");
        QTest::addColumn<bool>("fails");
        QTest::newRow("power on") << true << false;
        QTest::newRow("power on, fails") << true << true;
        QTest::newRow("power off") << false << false;
        QTest::newRow("power off, fails") << false << true;
    }
    void delaySwitch()
    {
        QFETCH(bool, powerOn);
        QFETCH(bool, fails);
        setHardType("GX58");
        const PowerValue value = powerOn ? PowerValue::PowerOnDelayEnabled : PowerValue::PowerOffDelayEnabled;
        QVERIFY(powerSet(powerOn ? "PowerOnDelayEnabled" : "PowerOffDelayEnabled", "0"));
        if (fails)
            QVERIFY(kestromFail(powerOn ? "vPM_PowerOnTimerEnable" : "vPM_PowerOffTimerEnable"));
        const int switchId = powerOn ? Page::kPowerOnDelayId : Page::kPowerOffDelayId;
        const int listId = powerOn ? Page::kPowerOnListId : Page::kPowerOffListId;
        const int textId = powerOn ? Page::kPowerOnTextId : Page::kPowerOffTextId;
        TraceCapture capture;
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QVERIFY(!shown(page, listId));
            QTest::mouseClick(page.Button(switchId), Qt::LeftButton);
            QCOMPARE(state(page, switchId), fails ? 0 : 1);
            QCOMPARE(shown(page, listId), !fails);
            QCOMPARE(shown(page, textId), !fails);
            QCOMPARE(enabled(page, listId), !fails);
            if (!fails) {
                QTest::mouseClick(page.Button(switchId), Qt::LeftButton);
                QCOMPARE(state(page, switchId), 0);
                QVERIFY(!shown(page, listId));
            }
        });
        QCOMPARE(powerValue(value), 0);
        const QString on = powerOn ? "on" : "off";
        const QString handler = powerOn ? "OnClicked_SyspowerPoweronDelay" : "OnClicked_SyspowerPoweroffDelay";
        const QString call = powerOn ? "vPM_PowerOnTimerEnable" : "vPM_PowerOffTimerEnable";
        if (fails) {
            QCOMPARE(boxes.texts, QStringList{QString("Set power %1 delay switch fail!").arg(on)});
            QCOMPARE(capture.lines().filter(handler),
                     (QStringList{QString("%1: Power %2 delay to ON").arg(handler, on),
                                  QString("%1: %2: bRet = 0, bEnable = 1").arg(handler, call)}));
        } else {
            QVERIFY(boxes.texts.isEmpty());
            QCOMPARE(capture.lines().filter(handler),
                     (QStringList{QString("%1: Power %2 delay to ON").arg(handler, on),
                                  QString("%1: %2: bRet = 1, bEnable = 1").arg(handler, call),
                                  QString("%1: Power %2 delay to OFF").arg(handler, on),
                                  QString("%1: %2: bRet = 1, bEnable = 0").arg(handler, call)}));
        }
    }

    void aFailedDelayStatusReadCountsAsOn_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("onLine");
        QTest::addColumn<QString>("offLine");
        QTest::newRow("GX58") << "GX58" << "getPowerOnDelaySetting failed :vPM_PowerOnTimerEnableStatus: 1"
                              << "getPowerOffDelayStatus failed :vPM_PowerOffTimerEnableStatus: 1";
        QTest::newRow("RQ81") << "RQ81" << "getPowerOnDelayStatus_RQ81 failed :vPM_PowerOnTimerEnableStatus: 1"
                              << "getPowerOffDelayStatus_RQ81 failed :vPM_PowerOffTimerEnableStatus: 1";
    }
    void aFailedDelayStatusReadCountsAsOn()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, onLine);
        QFETCH(QString, offLine);
        setHardType(hardType);
        QVERIFY(powerSet("AccSenseMode", "1"));
        QVERIFY(powerSet("PowerOnDelayEnabled", "0"));
        QVERIFY(powerSet("PowerOffDelayEnabled", "0"));
        QVERIFY(kestromFail("vPM_PowerOnTimerEnableStatus,vPM_PowerOffTimerEnableStatus"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            for (int id : {Page::kPowerOnDelayId, Page::kPowerOffDelayId})
                QCOMPARE(state(page, id), 1);
            for (int id : {Page::kPowerOnListId, Page::kPowerOffListId})
                QVERIFY(shown(page, id));
        });
        QVERIFY(capture.contains(onLine));
        QVERIFY(capture.contains(offLine));
    }

    // Delay codes as the controller reports them: the code's row, or the first row for a failed
    // read, a 0 or a code past the eight rows (a negative code reads as a large unsigned one).
    void delayCodes_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("code"); // empty: the read fails
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("onText");
        QTest::addColumn<QString>("offText");
        QTest::addColumn<bool>("pastTheRows");
        QTest::newRow("6") << "GX58" << "6" << 5 << "30 min" << "15 min" << false;
        QTest::newRow("8") << "RQ81" << "8" << 7 << "6 hr" << "60 min" << false;
        QTest::newRow("0") << "GX58" << "0" << 0 << "10 sec" << "10 sec" << false;
        QTest::newRow("fails") << "RQ81" << "" << 0 << "10 sec" << "10 sec" << false;
        QTest::newRow("12") << "GX58" << "12" << 0 << "10 sec" << "10 sec" << true;
        QTest::newRow("12, RQ81") << "RQ81" << "12" << 0 << "10 sec" << "10 sec" << true;
        QTest::newRow("-1") << "GX58" << "-1" << 0 << "10 sec" << "10 sec" << true;
    }
    void delayCodes()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, code);
        QFETCH(int, row);
        QFETCH(QString, onText);
        QFETCH(QString, offText);
        QFETCH(bool, pastTheRows);
        setHardType(hardType);
        QVERIFY(powerSet("AccSenseMode", "1"));
        for (const char* name : {"PowerOnDelay", "PowerOffDelay"})
            QVERIFY(powerSet(name, code.isEmpty() ? "4" : code));
        if (code.isEmpty())
            QVERIFY(kestromFail("vPM_PowerOnDelayGet,vPM_PowerOffDelayGet"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.Combo(Page::kPowerOnListId)->GetCurSel(), row);
            QCOMPARE(page.Combo(Page::kPowerOffListId)->GetCurSel(), row);
            QCOMPARE(page.ItemText(Page::kPowerOnTextId), onText);
            QCOMPARE(page.ItemText(Page::kPowerOffTextId), offText);
        });
        const QString suffix = hardType == "RQ81" ? "_RQ81" : "";
        const unsigned read = code.isEmpty() ? 0u : static_cast<unsigned>(code.toInt());
        QVERIFY(capture.contains(QString("getPowerOnDelaySetting%1: vPM_PowerOnDelayGet: bRet = %2, uSeconds = %3")
                                     .arg(suffix).arg(code.isEmpty() ? 0 : 1).arg(int(read))));
        QCOMPARE(capture.lines().filter("is not one of the 8 rows; the first row is shown").size(), pastTheRows ? 2 : 0);
        // Opening writes nothing back.
        QCOMPARE(powerValue(PowerValue::PowerOnDelay), code.isEmpty() ? 4 : code.toInt());
    }

    void choosesADelay_data()
    {
        QTest::addColumn<bool>("powerOn");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("power on 6 hr") << true << 7 << "6 hr";
        QTest::newRow("power on 10 sec") << true << 0 << "10 sec";
        QTest::newRow("power off 15 min") << false << 5 << "15 min";
    }
    void choosesADelay()
    {
        QFETCH(bool, powerOn);
        QFETCH(int, row);
        QFETCH(QString, text);
        setHardType("GX58");
        QVERIFY(powerSet("PowerOnDelayEnabled", "1"));
        QVERIFY(powerSet("PowerOffDelayEnabled", "1"));
        QVERIFY(powerSet(powerOn ? "PowerOnDelay" : "PowerOffDelay", "3"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            choose(page, powerOn ? Page::kPowerOnListId : Page::kPowerOffListId, row);
            QCOMPARE(page.ItemText(powerOn ? Page::kPowerOnTextId : Page::kPowerOffTextId), text);
        });
        QCOMPARE(powerValue(powerOn ? PowerValue::PowerOnDelay : PowerValue::PowerOffDelay), row + 1);
        QVERIFY(capture.contains(powerOn ? QString("OnSelchange_SyspowerOnDelayCombo :vPM_PowerOnDelaySet: bRet = 1, powerOnDelayCur = %1").arg(row + 1)
                                         : QString("OnSelchange_SyspowerOffDelayCombo :vPM_PowerOffDelaySet: bRet = 1, powerOffDelayCur = %1").arg(row + 1)));
    }

    // The four calls of the sensor-mode and power-button switches, for each pair of states.
    void sensorModeAndPowerButton_data()
    {
        QTest::addColumn<int>("sensor"); // before the click
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("clickSensor");
        QTest::addColumn<int>("externalPower"); // afterwards
        QTest::newRow("sensor off, button off") << 1 << 0 << true << 1;
        QTest::newRow("sensor off, button on") << 0 << 0 << false << 0;
        QTest::newRow("sensor on, button off") << 0 << 0 << true << 0;
        QTest::newRow("sensor on, button on") << 1 << 0 << false << 0;
    }
    void sensorModeAndPowerButton()
    {
        QFETCH(int, sensor);
        QFETCH(int, button);
        QFETCH(bool, clickSensor);
        QFETCH(int, externalPower);
        setHardType("RQ81");
        QVERIFY(powerSet("AccSenseMode", QString::number(sensor)));
        QVERIFY(powerSet("AccDetect", QString::number(1 - sensor)));
        QVERIFY(powerSet("PowerButton", QString::number(button)));
        QVERIFY(powerSet("ExternalPower", QString::number(1 - externalPower)));
        QVERIFY(powerSet("PowerOnDelayEnabled", "1"));
        const int newSensor = clickSensor ? 1 - sensor : sensor;
        const int newButton = clickSensor ? button : 1 - button;
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(clickSensor ? Page::kAccSensorModeId : Page::kPowerButtonId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kAccSensorModeId), newSensor);
            QCOMPARE(state(page, Page::kPowerButtonId), newButton);
            // The sections follow the sensor mode.
            QCOMPARE(shown(page, Page::kInputVoltageListId), bool(newSensor));
            QCOMPARE(shown(page, Page::kPowerOnListId), bool(newSensor));
        });
        QCOMPARE(powerValue(PowerValue::AccSenseMode), newSensor);
        QCOMPARE(powerValue(PowerValue::AccDetect), newSensor);
        QCOMPARE(powerValue(PowerValue::PowerButton), newButton);
        QCOMPARE(powerValue(PowerValue::ExternalPower), externalPower);
        QVERIFY(capture.contains(clickSensor ? QString("OnClicked_SyspowerAccSensorMode: ACC Sensor Mode to %1").arg(newSensor ? "Enable" : "Disable")
                                             : QString("OnClicked_SyspowerPowerbtn: Power Button to %1").arg(newButton ? "Enable" : "Disable")));
        QVERIFY(capture.contains(QString("m_bAcc_Sensor_mode=%1 m_bPowerBtn=%2 (bAccSenseRet=1 bIgnitstionRet=1 "
                                         "bPowerBtnRet=1 bPowerBtnRet=1)").arg(newSensor).arg(newButton)));
        // Only the sensor mode re-reads the page below it.
        QCOMPARE(capture.lines().filter("vPM_PowerButtonGetting").size(), clickSensor ? 2 : 1);
    }

    void combinedLineCarriesTheResults()
    {
        setHardType("RQ72");
        QVERIFY(powerSet("AccSenseMode", "0"));
        QVERIFY(powerSet("PowerButton", "0"));
        QVERIFY(kestromFail("vPM_ACCSenseModeSetting,vPM_PowerButtonSetting"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kPowerButtonId), Qt::LeftButton);
            QCOMPARE(state(page, Page::kPowerButtonId), 1); // the new state stays whatever the result
        });
        QVERIFY(capture.contains("m_bAcc_Sensor_mode=0 m_bPowerBtn=1 (bAccSenseRet=0 bIgnitstionRet=1 bPowerBtnRet=0 bPowerBtnRet=0)"));
        QCOMPARE(powerValue(PowerValue::PowerButton), 0);
    }

    // The dialog button opens the dialog of the input voltage; opened again, the first is gone.
    void opensTheVoltageDialog_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<int>("volts");
        QTest::addColumn<QString>("title");
        QTest::newRow("GX58 12") << "GX58" << 12 << "SystemPowerMgt12V";
        QTest::newRow("RQ63_L 24") << "RQ63_L" << 24 << "SystemPowerMgt24V";
        QTest::newRow("RQ81 36") << "RQ81" << 36 << "SystemPowerMgtRQ81_36V";
        QTest::newRow("RQ72 48") << "RQ72" << 48 << "SystemPowerMgtRQ81_48V";
    }
    void opensTheVoltageDialog()
    {
        QFETCH(QString, hardType);
        QFETCH(int, volts);
        QFETCH(QString, title);
        setHardType(hardType);
        QVERIFY(powerSet("AccDetect", "1"));
        QVERIFY(powerSet("AccSenseMode", "1"));
        QVERIFY(powerSet("InputVoltage", QString::number(volts)));
        TraceCapture capture;
        Page page;
        QList<QPointer<CPageDlg>> opened;
        runPage(page, [&] {
            for (int i = 0; i < 2; ++i) {
                bool running = false;
                QWidget* found = nullptr;
                QTimer::singleShot(0, &page, [&] {
                    CPageDlg* dialog = Page::VoltageDialog(volts);
                    opened << dialog;
                    running = dialog && dialog->IsRunningModal();
                    found = FindWindowByTitle(title);
                    if (running)
                        dialog->EndDialog(IDCANCEL);
                });
                QTest::mouseClick(page.Button(Page::kVoltageSetId), Qt::LeftButton);
                QVERIFY(running);
                QCOMPARE(found, static_cast<QWidget*>(opened.last().data()));
                QCOMPARE(state(page, Page::kVoltageSetId), 1);
            }
            QCOMPARE(opened.size(), 2);
            QVERIFY(!opened[0]);
            QVERIFY(opened[1]);
        });
        QCOMPARE(capture.count(QString("OnClicked_SyspowerSsvoltageSet: inputVoltage = %1").arg(volts)), 2);
        QVERIFY(!opened[1]); // destroyed with the page's window
    }

    void closeDownCascadesOverTheDialogTitles()
    {
        setHardType("GX58");
        QStringList log;
        std::vector<std::unique_ptr<TitledWindow>> windows;
        for (const char* title : {"SystemPowerMgtRQ81_48V", "SystemPowerMgt24V", "SystemPowerMgtRQ81_36V", "SystemPowerMgt12V"})
            windows.push_back(std::make_unique<TitledWindow>(title, log));
        Page page;
        runPage(page, [&] {
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
            QVERIFY(page.isVisible());
        });
        QCOMPARE(log, cascadeLog({"SystemPowerMgt12V", "SystemPowerMgt24V", "SystemPowerMgtRQ81_36V", "SystemPowerMgtRQ81_48V"}));
    }

    void homeEndsThePage()
    {
        setHardType("RQ81");
        TraceCapture capture;
        Page page;
        QTimer::singleShot(0, &page, [&] { QTest::mouseClick(page.Button(Page::kHomeId), Qt::LeftButton); });
        QCOMPARE(page.DoModal(), IDCANCEL);
        QVERIFY(capture.contains("GU_SysPowerMgtDlg:OnClicked_SyspowerHome"));
    }

    // Every call failing: both flavours open with the defaults of failed reads, and a delay switch
    // reports its failure.
    void everyCallFailing_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<bool>("master");
        QTest::newRow("GX58") << "GX58" << true;   // on without asking
        QTest::newRow("RQ63_L") << "RQ63_L" << false;
        QTest::newRow("RQ81") << "RQ81" << false;
    }
    void everyCallFailing()
    {
        QFETCH(QString, hardType);
        QFETCH(bool, master);
        setHardType(hardType);
        QVERIFY(kestromFail("all"));
        MessageBoxAnswerer boxes;
        Page page;
        runPage(page, [&] {
            QCOMPARE(shown(page, Page::kInputVoltageListId), master);
            QCOMPARE(page.Combo(Page::kInputVoltageListId)->GetCurSel(), page.Combo(Page::kInputVoltageListId)->count() - 1);
            QCOMPARE(page.Combo(Page::kPowerOnListId)->GetCurSel(), 0);
            QVERIFY(!enabled(page, Page::kVoltageSetId));
            if (master) {
                QCOMPARE(state(page, Page::kPowerOnDelayId), 1); // a failed read counts as on
                QTest::mouseClick(page.Button(Page::kPowerOnDelayId), Qt::LeftButton);
                QCOMPARE(state(page, Page::kPowerOnDelayId), 1);
            }
        });
        QCOMPARE(boxes.texts, master ? QStringList{"Set power on delay switch fail!"} : QStringList{});
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysPowerMgtDlg)
#include "tst_GU_SysPowerMgtDlg.moc"
