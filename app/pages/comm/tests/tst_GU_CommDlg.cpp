// The communication page on the virtual board: its two layouts, what it reads at opening and on the
// refresh message, every switch with its traces, library calls, messages, rollbacks and settings,
// the close-down message, and the home screen's button for it.

#include "CommTestSupport.h"
#include "TraceCapture.h"

#include "CGX58_UtilityDlg.h"
#include "GU_CommDlg.h"
#include "GU_CommWwanDlg.h"
#include "Kestrom.h"

#include <QElapsedTimer>
#include <QLabel>

#include <ctime>
#include <sys/resource.h>

using namespace commtest;
using tarvik::qtest::TraceCapture;

namespace {

// The combined switch's wait after powering the radios, from the settings file.
constexpr int kTestPowerDelayMs = 25;

// The lines of the page's own traces (the libraries write theirs to standard output).
QStringList pageLines(TraceCapture& capture, const QString& prefix)
{
    return capture.lines().filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
}

const QList<QStringList> kAllOff = {{"cmos", "60", "01"}, {"cmos", "61", "00"}};

} // namespace

class tst_GU_CommDlg : public QObject {
    Q_OBJECT
private:
    CountingSleeper m_sleeper;

private slots:
    void initTestCase() { tarvik::overrideProcessSleeper(&m_sleeper); }
    void cleanupTestCase() { tarvik::overrideProcessSleeper(nullptr); }

    void init()
    {
        WritePrivateProfileStringW(L"COMMUNICATION", nullptr, nullptr, SettingsFile());
        setSetting(L"WLAN_POWER_DELAY", std::to_wstring(kTestPowerDelayMs).c_str());
        GU_CommDlg::Switches() = {};
        GU_CommWwanDlg::Selection() = {};
        m_sleeper.hook = nullptr;
        m_sleeper.clear();
    }

    void layout_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("rq63");
        QTest::newRow("GX58") << "GX58" << "KTA" << false;
        QTest::newRow("RQ63_L") << "RQ63_L" << "KTM" << true;
        QTest::newRow("RQ63_H") << "RQ63_H" << "KTM" << true;
        QTest::newRow("RQ81") << "RQ81" << "KQS" << false;
        QTest::newRow("RQ72") << "RQ72" << "KZS" << false;
    }
    void layout()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, model);
        QFETCH(bool, rq63);
        QVERIFY(prepare(model, hardType));
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.windowTitle(), QString("CommunicationStatus"));
            QCOMPARE(page.size(), QSize(1024, 600));
            QCOMPARE(page.BackgroundName(), QString("IDB_COMMBASE_L"));
            const struct {
                int id;
                QPoint at;
                bool shown;
            } buttons[] = {
                {GU_CommDlg::kHomeId, {40, 445}, true},
                {GU_CommDlg::kWwanSwitchId, {294, 100}, true},
                {GU_CommDlg::kWlanIconId, {294, 240}, true},
                {GU_CommDlg::kBtIconId, {294, 380}, true},
                {GU_CommDlg::kWwanSettingId, {850, 100}, true}, // the board's WWAN is powered
                {GU_CommDlg::kAntennaSwitchId, {850, 240}, rq63},
                {GU_CommDlg::kWlanModuleSwitchId, {480, 240}, rq63},
                {GU_CommDlg::kBtModuleSwitchId, {480, 380}, rq63},
                {GU_CommDlg::kWlanBtSwitchId, {463, 288}, !rq63},
            };
            for (const auto& b : buttons) {
                CMyBitmapButton* button = page.Button(b.id);
                QVERIFY(button);
                QCOMPARE(button->pos(), b.at);
                QCOMPARE(button->size(), button->image(0).size());
                QCOMPARE(button->isVisible(), b.shown);
                QCOMPARE(button->isEnabled(), b.shown);
            }
            const struct {
                int label;
                int value;
                int y;
                const char* text;
            } rows[] = {{1022, 1028, 110, "WWAN Module :"},
                        {1023, 1034, 135, "SIM Slot Assignment :"},
                        {1024, 1036, 160, "Wake on SMS :"},
                        {1025, 1038, 185, "Wake on SMS string :"}};
            for (const auto& row : rows) {
                QCOMPARE(page.Text(row.label)->geometry(), QRect(480, row.y, 170, 40));
                QCOMPARE(page.Text(row.value)->geometry(), QRect(680, row.y, 170, 40));
                QCOMPARE(page.ItemText(row.label), QString(row.text));
                QVERIFY(page.Text(row.label)->isVisible());
                QCOMPARE(page.Text(row.label)->palette().color(QPalette::WindowText), QColor(Qt::white));
            }
            // The SIM slot value stays hidden on the one-slot RQ63 while the others show.
            QVERIFY(page.Text(GU_CommDlg::kWwanModuleValueId)->isVisible());
            QCOMPARE(page.Text(GU_CommDlg::kSimSlotValueId)->isVisible(), !rq63);
            for (int id : {1026, 1040, 1027, 1044})
                QVERIFY(page.Text(id)->isHidden());
            QCOMPARE(page.ItemText(1026), QString("WLAN Module Situation :"));
            QCOMPARE(page.ItemText(1027), QString("Bluetooth Module :"));
        });
    }

    void openingReadsAndTraces()
    {
        QVERIFY(prepare("KTA", "GX58"));
        setSetting(L"COM_PORT", L"7");
        setSetting(L"BAUD_RATE", L"9600");
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [] {});
        const QStringList lines = capture.lines().filter(
            QRegularExpression("^(GU_CommDlg: |PROJECT|GetAllCommStatus|GetWwanDetailStatus|GetWlanBtDetailStatus)"));
        QCOMPARE(lines, (QStringList{
                            "GU_CommDlg: OnInitDialog()",
                            "PROJECT HARD_TYPE = <GX58>",
                            "GetAllCommStatus: vCM_WWANModuleHWStatus: bRet = 1, bValue = 1",
                            "GetAllCommStatus: vCM_WLANModuleHWStatus: bRet = 1, bValue = 1",
                            "GetAllCommStatus: vCM_WWANSIMCardIsInserted: bRet = 1",
                            "GetAllCommStatus: vCM_WWANPowerStatus: bRet = 1, bValue = 1",
                            "GetWwanDetailStatus: vCM_WWANModuleStatus: bRet = 1, bValue = 1",
                            "GetWwanDetailStatus: vCM_WWANSIMSlotStatus: bRet = 1, iValue = 1",
                            "GetWwanDetailStatus: vWU_WakeOnSMSStatus: bRet = 1, bWakeOnSmsStatus = 0",
                            "GetWwanDetailStatus: vWU_WakeOnSMSStringGet: bRet = 0, wakeonSMSStringbuf = ",
                            "GetWlanBtDetailStatus: vCM_WLANModuleStatus: bRet = 1 bValue = 1",
                        }));
        // The modem's port and speed are handed to the power library.
        QCOMPARE(powerValue("GsmSerialPort"), QString("7"));
        QCOMPARE(powerValue("GsmBaudRate"), QString("9600"));
        QVERIFY(page.Button(GU_CommDlg::kWlanBtSwitchId)->state() == 1);
        QVERIFY(GU_CommDlg::Switches().wwanPower && GU_CommDlg::Switches().wlanBtModule);
    }

    void rq63ReadsItsThreeSwitches()
    {
        QVERIFY(prepare("KTM", "RQ63_L", {{"cmos", "65", "08"}, {"cmos", "61", "00"}}));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.Button(GU_CommDlg::kWlanModuleSwitchId)->state(), 1);
            QCOMPARE(page.Button(GU_CommDlg::kAntennaSwitchId)->state(), 1);
            QCOMPARE(page.Button(GU_CommDlg::kBtModuleSwitchId)->state(), 0);
        });
        QCOMPARE(pageLines(capture, "GetWlanDetailStatus") + pageLines(capture, "GetBTDetailStatus"),
                 (QStringList{"GetWlanDetailStatus: vCM_WLANModuleStatus: bRet = 1 bValue = 1",
                              "GetWlanDetailStatus: vCM_WLANAntennaStatus: bRet = 1 iAntStatus = 1",
                              "GetBTDetailStatus: vCM_BluetoothModuleStatus: bRet = 1 bValue = 0"}));
    }

    void wwanDetails_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<bool>("storeCode");
        QTest::addColumn<bool>("wakeOnSms");
        QTest::addColumn<QStringList>("values"); // module, slot, wake on SMS, code; empty: hidden
        QTest::addColumn<bool>("settingShown");

        QTest::newRow("SIM, wake on SMS, code")
            << "GX58" << QList<QStringList>{} << true << true
            << QStringList{"Enable", "Slot1", "Enable", "0123ABCD"} << true;
        QTest::newRow("no SIM: the code still shows")
            << "GX58" << QList<QStringList>{{"mbn", "sim", "1", "2"}} << true << true
            << QStringList{"Enable", "Slot1", "No SIM.No function.", "0123ABCD"} << true;
        QTest::newRow("slot 2 (empty), module disabled, no code")
            << "RQ72" << QList<QStringList>{{"ec", "9d", "0a"}} << false << false
            << QStringList{"Disable", "Slot2", "No SIM.No function.", "--------"} << true;
        QTest::newRow("power library failing: placeholders")
            << "GX58" << QList<QStringList>{{"fault", "kestrom-fail", "all"}} << true << true
            << QStringList{"Enable", "Slot1", "Disable", "--------"} << true;
        QTest::newRow("WWAN powered off: values and setting hidden")
            << "GX58" << QList<QStringList>{{"ec", "9d", "00"}} << true << false
            << QStringList{"", "", "", ""} << false;
        QTest::newRow("RQ63: no slot value")
            << "RQ63_H" << QList<QStringList>{} << false << false
            << QStringList{"Enable", "", "Disable", "--------"} << true;
    }
    void wwanDetails()
    {
        QFETCH(QString, hardType);
        QFETCH(QList<QStringList>, setup);
        QFETCH(bool, storeCode);
        QFETCH(bool, wakeOnSms);
        QFETCH(QStringList, values);
        QFETCH(bool, settingShown);
        const QString model = hardType.startsWith("RQ63") ? "KTM" : hardType == "RQ72" ? "KZS" : "KTA";
        QVERIFY(prepare(model, hardType));
        {
            CKestrom kestrom; // the code is stored through the power library itself
            if (storeCode) {
                QCOMPARE(kestrom.vWU_WakeOnSMSStringInit(), 1);
                QCOMPARE(kestrom.vWU_WakeOnSMSStringSet("0123ABCD"), 1);
            }
            QCOMPARE(kestrom.vWU_WakeOnSMSSwitch(wakeOnSms ? 1 : 0), 1);
        }
        QVERIFY(boardSetup(setup));
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            const int ids[] = {GU_CommDlg::kWwanModuleValueId, GU_CommDlg::kSimSlotValueId,
                               GU_CommDlg::kWakeOnSmsValueId, GU_CommDlg::kSmsStringValueId};
            for (int i = 0; i < 4; ++i) {
                QLabel* value = page.Text(ids[i]);
                QCOMPARE(value->isVisible(), !values[i].isEmpty());
                if (!values[i].isEmpty())
                    QCOMPARE(value->text(), values[i]);
            }
            QCOMPARE(page.Button(GU_CommDlg::kWwanSettingId)->isVisible(), settingShown);
            QCOMPARE(page.Button(GU_CommDlg::kWwanSwitchId)->state(), settingShown ? 1 : 0);
        });
    }

    void missingModules_data()
    {
        QTest::addColumn<QString>("hardType");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<QList<int>>("shown");
        const QList<int> wwan = {1019, 1029, 1022, 1023, 1024, 1025, 1028, 1034, 1036, 1038};
        QTest::newRow("no WWAN module") << "GX58" << "WWANFitted" << wwan << QList<int>{1020, 1021, 1233};
        QTest::newRow("no WLAN module") << "GX58" << "WLANFitted" << QList<int>{1020, 1021, 1233}
                                        << QList<int>{1019, 1029, 1028, 1036};
        QTest::newRow("no WLAN module, RQ63") << "RQ63_L" << "WLANFitted" << QList<int>{1020, 1021, 1202, 1203, 1210}
                                              << QList<int>{1019, 1029, 1028};
    }
    void missingModules()
    {
        QFETCH(QString, hardType);
        QFETCH(QString, value);
        QFETCH(QList<int>, hidden);
        QFETCH(QList<int>, shown);
        QVERIFY(prepare(hardType == "GX58" ? "KTA" : "KTM", hardType, {{"set", value, "0"}}));
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            for (int id : hidden)
                QVERIFY2(page.GetDlgItem(id)->isHidden(), qPrintable(QString::number(id)));
            for (int id : shown)
                QVERIFY2(page.GetDlgItem(id)->isVisible(), qPrintable(QString::number(id)));
        });
        QVERIFY(responder.seen.isEmpty()); // a missing module is not an error
    }

    // A broken EC, port driver or service: the page still opens at once, shows what it could read
    // and reports nothing it did not do.
    void brokenHardwareStillOpens_data()
    {
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::newRow("port driver refused") << QList<QStringList>{{"fault", "driver-refuse", "always"}};
        QTest::newRow("EC status stuck") << QList<QStringList>{{"fault", "ec-status-stuck", "00"}};
        QTest::newRow("power library failing") << QList<QStringList>{{"fault", "kestrom-fail", "all"}};
        QTest::newRow("no WLAN or modem service interfaces")
            << QList<QStringList>{{"set", "WLANInterfaces", "0"}, {"set", "MBNInterfaces", "0"}};
    }
    void brokenHardwareStillOpens()
    {
        QFETCH(QList<QStringList>, setup);
        QVERIFY(prepare("KTA", "GX58", setup));
        ModalResponder responder;
        QElapsedTimer clock;
        clock.start();
        GU_CommDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.windowTitle(), QString("CommunicationStatus"));
            QVERIFY(page.isVisible());
        });
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(responder.seen.isEmpty());
        QCOMPARE(setting(L"WWAN_POWER"), QString("<none>"));
    }

    void refreshMessageReadsAgain()
    {
        QVERIFY(prepare("KTA", "GX58"));
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.ItemText(GU_CommDlg::kWwanModuleValueId), QString("Enable"));
            QVERIFY(boardSetup({{"ec", "9d", "02"}}));
            QCOMPARE(SendMessage(&page, WM_COMM_REFRESH), LRESULT(0));
            QCOMPARE(page.ItemText(GU_CommDlg::kWwanModuleValueId), QString("Disable"));
        });
    }

    void wwanSwitch_data()
    {
        QTest::addColumn<QString>("ec9d");
        QTest::addColumn<bool>("wakeOnSms");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<int>("powerBit");
        QTest::addColumn<QString>("wakeOnSmsAfter");
        QTest::addColumn<QString>("written");

        QTest::newRow("on") << "00" << false << QList<QStringList>{}
                            << QStringList{"OnClicked_CommWwanSwitch: WWAN to ON",
                                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bWWAN_Switch = 1 errir=0x0"}
                            << QStringList{} << 1 << "0" << "1";
        QTest::newRow("off while waking on SMS: wake on SMS off, alert")
            << "06" << true << QList<QStringList>{}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bWWAN_Switch = 0 errir=0x0",
                           "OnClicked_CommWwanSwitch: vWU_WakeOnSMSStatus: bRet = 1, bWakeOnSmsStatus = 1",
                           "OnClicked_CommWwanSwitch: vWU_WakeOnSMSSwitch to FALSE: bRet = 1"}
            << QStringList{"alert:Wwan Poweroff Alert"} << 0 << "0" << "0";
        QTest::newRow("off, wake on SMS already off: no alert")
            << "06" << false << QList<QStringList>{}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bWWAN_Switch = 0 errir=0x0",
                           "OnClicked_CommWwanSwitch: vWU_WakeOnSMSStatus: bRet = 1, bWakeOnSmsStatus = 0"}
            << QStringList{} << 0 << "0" << "0";
        QTest::newRow("off without SIM: wake on SMS left alone")
            << "06" << true << QList<QStringList>{{"mbn", "sim", "1", "2"}}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bWWAN_Switch = 0 errir=0x0"}
            << QStringList{} << 0 << "1" << "0";
        QTest::newRow("off, wake-on-SMS switch refused: no alert")
            << "06" << true << QList<QStringList>{{"fault", "kestrom-fail", "vWU_WakeOnSMSSwitch"}}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bWWAN_Switch = 0 errir=0x0",
                           "OnClicked_CommWwanSwitch: vWU_WakeOnSMSStatus: bRet = 1, bWakeOnSmsStatus = 1",
                           "OnClicked_CommWwanSwitch: vWU_WakeOnSMSSwitch to FALSE: bRet = 0"}
            << QStringList{} << 0 << "1" << "0";
        QTest::newRow("on fails: EC ignores it")
            << "00" << false << QList<QStringList>{{"fault", "ec-ignore-commands"}}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to ON",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 0, m_bWWAN_Switch = 1 errir=0x80000006"}
            << QStringList{"box:Set wwan power fail!"} << 0 << "0" << "0";
        QTest::newRow("off fails: EC ignores it")
            << "06" << true << QList<QStringList>{{"fault", "ec-ignore-commands"}}
            << QStringList{"OnClicked_CommWwanSwitch: WWAN to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 0, m_bWWAN_Switch = 0 errir=0x80000006"}
            << QStringList{"box:Set wwan power fail!"} << 1 << "1" << "1";
    }
    void wwanSwitch()
    {
        QFETCH(QString, ec9d);
        QFETCH(bool, wakeOnSms);
        QFETCH(QList<QStringList>, setup);
        QFETCH(QStringList, traces);
        QFETCH(QStringList, seen);
        QFETCH(int, powerBit);
        QFETCH(QString, wakeOnSmsAfter);
        QFETCH(QString, written);
        QVERIFY(prepare("KTA", "GX58", {{"ec", "9d", ec9d}, {"power", "set", "WakeOnSms", wakeOnSms ? "1" : "0"}}));
        QVERIFY(boardSetup(setup));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            const bool before = GU_CommDlg::Switches().wwanPower;
            capture.clear();
            click(page, GU_CommDlg::kWwanSwitchId);
            const bool after = GU_CommDlg::Switches().wwanPower;
            QCOMPARE(after, powerBit == 1);
            QCOMPARE(after != before, seen.filter("box:").isEmpty());
            QCOMPARE(page.Button(GU_CommDlg::kWwanSwitchId)->state(), after ? 1 : 0);
            QCOMPARE(page.Button(GU_CommDlg::kWwanSettingId)->isVisible(), after);
            QCOMPARE(page.Text(GU_CommDlg::kWakeOnSmsValueId)->isVisible(), after);
            QVERIFY(page.PowerOffAlert() == nullptr || !page.PowerOffAlert()->isVisible());
        });
        QCOMPARE(pageLines(capture, "OnClicked_CommWwanSwitch"), traces);
        QCOMPARE(responder.seen, seen);
        QCOMPARE((ecByte("9d") >> 1) & 1, powerBit);
        QCOMPARE(powerValue("WakeOnSms"), wakeOnSmsAfter);
        QCOMPARE(setting(L"WWAN_POWER"), written);
    }

    // Each alert is a new object; the one before is gone when the next is made.
    void powerOffAlertIsMadeAfreshEachTime()
    {
        QVERIFY(prepare("KTA", "GX58", {{"power", "set", "WakeOnSms", "1"}}));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            click(page, GU_CommDlg::kWwanSwitchId);
            QPointer<GU_Alert_WwanPowerOff> first = page.PowerOffAlert();
            QVERIFY(first);
            click(page, GU_CommDlg::kWwanSwitchId); // on again
            QVERIFY(boardSetup({{"power", "set", "WakeOnSms", "1"}}));
            click(page, GU_CommDlg::kWwanSwitchId);
            QVERIFY(!first);
            QVERIFY(page.PowerOffAlert());
        });
        QCOMPARE(responder.seen, (QStringList{"alert:Wwan Poweroff Alert", "alert:Wwan Poweroff Alert"}));
        QCOMPARE(capture.count("GU_Alert_WwanPowerOff: OnInitDialog()"), 2);
        QCOMPARE(capture.count("GU_Alert_WwanPowerOff:OnClicked_AlertwwanpoweroffOk"), 2);
    }

    // The RQ63's own switches. The layout follows HARD_TYPE and the library's path the board's
    // model, so a KTR board (whose WLAN switch is an EC command it reads back) gives the WLAN
    // module's failure.
    void rq63Switches_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("cmos");
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("bitSet");
        QTest::addColumn<QStringList>("written"); // WLAN_POWER, BT_POWER, WLAN_MODULE, BT_MODULE

        QTest::newRow("WLAN module on")
            << "KTM" << kAllOff << GU_CommDlg::kWlanModuleSwitchId
            << QStringList{"OnClicked_CommWlanModuleSwitch: WLAN Module to ON",
                           "OnClicked_CommWlanModuleSwitch: vCM_WLANModuleSwitch: bRet = 1, m_bWlanModule_Switch = 1",
                           "OnClicked_CommWlanModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON"}
            << QStringList{} << "60" << 0x80 << true << QStringList{"1", "1", "1", "<none>"};
        QTest::newRow("WLAN module off while Bluetooth is on: power stays on")
            << "KTM" << QList<QStringList>{} << GU_CommDlg::kWlanModuleSwitchId
            << QStringList{"OnClicked_CommWlanModuleSwitch: WLAN Module to OFF",
                           "OnClicked_CommWlanModuleSwitch: vCM_WLANModuleSwitch: bRet = 1, m_bWlanModule_Switch = 0",
                           "OnClicked_CommWlanModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON"}
            << QStringList{} << "60" << 0x80 << false << QStringList{"1", "1", "0", "<none>"};
        QTest::newRow("WLAN module fails")
            << "KTR" << QList<QStringList>{{"cmos", "60", "01"}, {"fault", "ec-ignore-commands"}}
            << GU_CommDlg::kWlanModuleSwitchId
            << QStringList{"OnClicked_CommWlanModuleSwitch: WLAN Module to ON",
                           "OnClicked_CommWlanModuleSwitch: vCM_WLANModuleSwitch: bRet = 0, m_bWlanModule_Switch = 1"}
            << QStringList{"box:Set wlan module fail!"} << "60" << 0x80 << false
            << QStringList{"<none>", "<none>", "0", "<none>"};
        QTest::newRow("Bluetooth module off with WLAN off: power off")
            << "KTM" << QList<QStringList>{{"cmos", "60", "01"}} << GU_CommDlg::kBtModuleSwitchId
            << QStringList{"OnClicked_CommBtModuleSwitch: BT Module to OFF",
                           "OnClicked_CommBtModuleSwitch: vCM_BluetoothModuleSwitch: bRet = 1, m_bBT_MODULE = 0",
                           "OnClicked_CommWlanModuleSwitch: vCM_BluetoothPowerOnOff: bRet = 1, to OFF"}
            << QStringList{} << "61" << 0x80 << false << QStringList{"0", "0", "<none>", "0"};
        QTest::newRow("Bluetooth module fails")
            << "KTM" << QList<QStringList>{{"cmos", "61", "00"}, {"fault", "ec-ignore-commands"}}
            << GU_CommDlg::kBtModuleSwitchId
            << QStringList{"OnClicked_CommBtModuleSwitch: BT Module to ON",
                           "OnClicked_CommBtModuleSwitch: vCM_BluetoothModuleSwitch: bRet = 0, m_bBT_MODULE = 1"}
            << QStringList{"box:Set bt module fail!"} << "61" << 0x80 << false
            << QStringList{"<none>", "<none>", "<none>", "0"};
        QTest::newRow("antenna external")
            << "KTM" << QList<QStringList>{} << GU_CommDlg::kAntennaSwitchId
            << QStringList{"OnClicked_CommAntSwitch: ANT to EXTERNAL",
                           "OnClicked_CommAntSwitch: vCM_WLANAntennaSwitch: bRet = 1 to 1"}
            << QStringList{} << "65" << 0x08 << true << QStringList{"<none>", "<none>", "<none>", "<none>"};
        QTest::newRow("antenna internal")
            << "KTM" << QList<QStringList>{{"cmos", "65", "08"}} << GU_CommDlg::kAntennaSwitchId
            << QStringList{"OnClicked_CommAntSwitch: ANT to INTERNAL",
                           "OnClicked_CommAntSwitch: vCM_WLANAntennaSwitch: bRet = 1 to 0"}
            << QStringList{} << "65" << 0x08 << false << QStringList{"<none>", "<none>", "<none>", "<none>"};
        QTest::newRow("antenna fails")
            << "KTM" << QList<QStringList>{{"fault", "ec-ignore-commands"}} << GU_CommDlg::kAntennaSwitchId
            << QStringList{"OnClicked_CommAntSwitch: ANT to EXTERNAL",
                           "OnClicked_CommAntSwitch: vCM_WLANAntennaSwitch: bRet = 0 to 1"}
            << QStringList{"box:Switch antenna  fail!"} << "65" << 0x08 << false
            << QStringList{"<none>", "<none>", "<none>", "<none>"};
    }
    void rq63Switches()
    {
        QFETCH(QString, model);
        QFETCH(QList<QStringList>, setup);
        QFETCH(int, button);
        QFETCH(QStringList, traces);
        QFETCH(QStringList, seen);
        QFETCH(QString, cmos);
        QFETCH(int, mask);
        QFETCH(bool, bitSet);
        QFETCH(QStringList, written);
        QVERIFY(prepare(model, "RQ63_L", setup));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            const int before = page.Button(button)->state();
            capture.clear();
            click(page, button);
            QCOMPARE(page.Button(button)->state(), seen.isEmpty() ? 1 - before : before);
        });
        QCOMPARE(capture.lines().filter(QRegularExpression("^OnClicked_Comm(WlanModule|BtModule|Ant)Switch")), traces);
        QCOMPARE(responder.seen, seen);
        QCOMPARE((cmosByte(cmos) & mask) != 0, bitSet);
        QCOMPARE((QStringList{setting(L"WLAN_POWER"), setting(L"BT_POWER"), setting(L"WLAN_MODULE"),
                              setting(L"BT_MODULE")}),
                 written);
    }

    void combinedSwitch_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("bits");    // CMOS 0x60 and 0x61 on bits afterwards
        QTest::addColumn<QStringList>("written"); // WLAN_POWER, BT_POWER, WLAN_MODULE, BT_MODULE
        const QString delay = QString("OnClickedCommWlanbtModuleSwitch: get WLAN_POWER_DELAY: wlan_power_delay = %1.")
                                  .arg(kTestPowerDelayMs);

        QTest::newRow("on from power off: power, wait, both modules")
            << "KTA" << kAllOff
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = 1, bWLANPowerStatus=0",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON", delay,
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 1, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 1, m_bWLANBT_MODULE = 1"}
            << QStringList{} << 1 << QStringList{"on", "on"} << QStringList{"1", "1", "1", "1"};
        QTest::newRow("on with the power on: no wait")
            << "KTA" << QList<QStringList>{{"cmos", "60", "01"}}
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = 1, bWLANPowerStatus=1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 1, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 1, m_bWLANBT_MODULE = 1"}
            << QStringList{} << 1 << QStringList{"on", "on"} << QStringList{"<none>", "<none>", "1", "1"};
        QTest::newRow("off: both modules, power left alone")
            << "KTA" << QList<QStringList>{}
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to OFF",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 1, m_bWLANBT_MODULE = 0",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 1, m_bWLANBT_MODULE = 0"}
            << QStringList{} << 0 << QStringList{"off", "off"} << QStringList{"<none>", "<none>", "0", "0"};
        QTest::newRow("both fail")
            << "KTR" << QList<QStringList>{{"cmos", "60", "01"}, {"cmos", "61", "00"}, {"fault", "ec-ignore-commands"}}
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = 1, bWLANPowerStatus=0",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON", delay,
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 0, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 0, m_bWLANBT_MODULE = 1"}
            << QStringList{"box:Set wlan/bt module all fail!"} << 0 << QStringList{"off", "off"}
            << QStringList{"1", "1", "0", "0"};
        // No WLAN interface listed: the WLAN read-back fails, Bluetooth switches and is rolled back.
        QTest::newRow("WLAN fails: Bluetooth rolled back")
            << "KTR" << QList<QStringList>{{"cmos", "60", "01"}, {"cmos", "61", "00"}, {"set", "WLANInterfaces", "0"}}
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = 1, bWLANPowerStatus=0",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON", delay,
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 0, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 1, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: Rollback: vCM_BluetoothModuleSwitch: bBTRet = 1, m_bWLANBT_MODULE = 0"}
            << QStringList{"box:Set wlan/bt module (WLAN) fail!"} << 0 << QStringList{"on", "off"}
            << QStringList{"1", "1", "0", "0"};
        // The EC ignores the Bluetooth command; the WLAN radio goes through the WLAN service.
        QTest::newRow("Bluetooth fails: WLAN rolled back")
            << "KTA" << QList<QStringList>{{"cmos", "60", "01"}, {"cmos", "61", "00"}, {"fault", "ec-ignore-commands"}}
            << QStringList{"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = 1, bWLANPowerStatus=0",
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerOnOff: bRet = 1, to ON", delay,
                           "OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = 1, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = 0, m_bWLANBT_MODULE = 1",
                           "OnClickedCommWlanbtModuleSwitch: Rollback:  vCM_WLANModuleSwitch: bWLANRet = 1, m_bWLANBT_MODULE = 0"}
            << QStringList{"box:Set wlan/bt module (BT) fail!"} << 0 << QStringList{"off", "off"}
            << QStringList{"1", "1", "0", "0"};
    }
    void combinedSwitch()
    {
        QFETCH(QString, model);
        QFETCH(QList<QStringList>, setup);
        QFETCH(QStringList, traces);
        QFETCH(QStringList, seen);
        QFETCH(int, state);
        QFETCH(QStringList, bits);
        QFETCH(QStringList, written);
        QVERIFY(prepare(model, "GX58", setup));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        runPage(page, responder, [&] {
            capture.clear();
            click(page, GU_CommDlg::kWlanBtSwitchId);
            QCOMPARE(page.Button(GU_CommDlg::kWlanBtSwitchId)->state(), state);
            QCOMPARE(GU_CommDlg::Switches().wlanBtModule, state == 1);
        });
        QCOMPARE(capture.lines().filter(QRegularExpression("^OnClickedCommWlanbtModuleSwitch")), traces);
        QCOMPARE(responder.seen, seen);
        const auto on = [](int byte) { return (byte & 0x80) ? QString("on") : QString("off"); };
        QCOMPARE((QStringList{on(cmosByte("60")), on(cmosByte("61"))}), bits);
        QCOMPARE((QStringList{setting(L"WLAN_POWER"), setting(L"BT_POWER"), setting(L"WLAN_MODULE"),
                              setting(L"BT_MODULE")}),
                 written);
    }

    // The wait after powering the radios keeps the page painted, drops the user's taps and sleeps
    // rather than spins.
    void combinedSwitchWaitPaintsDropsInputAndSleeps()
    {
        constexpr int kDelayMs = 400;
        QVERIFY(prepare("KTA", "GX58", kAllOff));
        setSetting(L"WLAN_POWER_DELAY", std::to_wstring(kDelayMs).c_str());
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        int paintsDuringWait = 0;
        bool tappedHome = false;
        qint64 elapsed = 0;
        double cpuSeconds = 0;
        runPage(page, responder, [&] {
            QTimer tapper;
            tapper.setSingleShot(true);
            QObject::connect(&tapper, &QTimer::timeout, &page, [&] {
                // Halfway through the wait: ask for a paint and tap Home.
                QObject::connect(&page, &CPageDlg::painted, &page, [&] { ++paintsDuringWait; });
                page.update();
                QTest::mouseClick(page.Button(GU_CommDlg::kHomeId), Qt::LeftButton);
                tappedHome = true;
            });
            tapper.start(kDelayMs / 2);
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            QElapsedTimer clock;
            clock.start();
            click(page, GU_CommDlg::kWlanBtSwitchId);
            elapsed = clock.elapsed();
            rusage after{};
            getrusage(RUSAGE_SELF, &after);
            const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
            cpuSeconds = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) -
                         seconds(before.ru_stime);
            QVERIFY(page.isVisible()); // the tap on Home went nowhere
        });
        QVERIFY(tappedHome);
        QVERIFY(paintsDuringWait > 0);
        QVERIFY2(elapsed >= kDelayMs, qPrintable(QString::number(elapsed)));
        QVERIFY2(cpuSeconds < 0.5 * kDelayMs / 1000.0, qPrintable(QString::number(cpuSeconds)));
        QVERIFY(!capture.contains("GU_CommDlg:OnClicked_DevinfoHome"));
        QCOMPARE(setting(L"WLAN_MODULE"), QString("1"));
    }

    // A negative delay in a damaged settings file is traced as read and waits nothing.
    void negativePowerDelayWaitsNothing()
    {
        QVERIFY(prepare("KTA", "GX58", kAllOff));
        setSetting(L"WLAN_POWER_DELAY", L"-5000");
        TraceCapture capture;
        ModalResponder responder;
        GU_CommDlg page;
        qint64 elapsed = 0;
        runPage(page, responder, [&] {
            QElapsedTimer clock;
            clock.start();
            click(page, GU_CommDlg::kWlanBtSwitchId);
            elapsed = clock.elapsed();
        });
        QVERIFY(capture.contains("OnClickedCommWlanbtModuleSwitch: get WLAN_POWER_DELAY: wlan_power_delay = -5000."));
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QCOMPARE(setting(L"WLAN_MODULE"), QString("1"));
    }

    void wwanSettingOpensTheSettingsPage()
    {
        QVERIFY(prepare("KTA", "GX58"));
        QPointer<QWidget> settings;
        ModalResponder responder([&](QWidget* window) {
            settings = window;
            SendCommand(window, IDCANCEL);
        });
        GU_CommDlg page;
        runPage(page, responder, [&] {
            click(page, GU_CommDlg::kWwanSettingId);
            QPointer<GU_CommWwanDlg> first = page.WwanSettingPage();
            QVERIFY(first);
            QCOMPARE(settings.data(), static_cast<QWidget*>(first.data()));
            click(page, GU_CommDlg::kWwanSettingId);
            QVERIFY(!first); // released before the next one was made
            QVERIFY(page.WwanSettingPage());
        });
        QCOMPARE(responder.seen, (QStringList{"page:WWAN Setting", "page:WWAN Setting"}));
    }

    // The home screen closes the communication page, which first closes its own settings page.
    void closeDownClosesTheSettingsPageToo()
    {
        QVERIFY(prepare("KTA", "GX58"));
        CGX58_UtilityDlg home;
        home.CreateModeless();
        QVERIFY(home.Button(CGX58_UtilityDlg::kCommId)->isEnabled());
        TraceCapture capture;
        bool closed = false;
        ModalResponder responder([&](QWidget* window) {
            if (window->windowTitle() == "CommunicationStatus") {
                QTest::mouseClick(qobject_cast<CPageDlg*>(window)->Button(GU_CommDlg::kWwanSettingId), Qt::LeftButton);
            } else if (window->windowTitle() == "WWAN Setting") {
                QCOMPARE(SendMessage(&home, WM_CLOSE_CHILDREN), LRESULT(0));
                closed = !window->isVisible();
            }
        });
        QTest::mouseClick(home.Button(CGX58_UtilityDlg::kCommId), Qt::LeftButton);
        QVERIFY(closed);
        auto* page = qobject_cast<GU_CommDlg*>(home.SectionPage(CGX58_UtilityDlg::kCommId));
        QVERIFY(page);
        QVERIFY(!page->isVisible());
        QVERIFY(home.isVisible());
        QCOMPARE(responder.seen, (QStringList{"page:CommunicationStatus", "page:WWAN Setting"}));
        QVERIFY(capture.contains("GU_CommWwanDlg: OnInitDialog()"));
        home.DestroyWindow();
    }

    // What the settings page applies shows here at once: it sends the refresh before it ends.
    void settingsPageRefreshesThisPage()
    {
        QVERIFY(prepare("KTA", "GX58"));
        QString shownAtRefresh;
        GU_CommDlg* commPage = nullptr;
        ModalResponder responder([&](QWidget* window) {
            auto* settings = qobject_cast<GU_CommWwanDlg*>(window);
            QVERIFY(settings);
            QTest::mouseClick(settings->Button(GU_CommWwanDlg::kRfSwitchId), Qt::LeftButton);
            QTest::mouseClick(settings->Button(GU_CommWwanDlg::kRfSwitchOkId), Qt::LeftButton);
            shownAtRefresh = commPage->ItemText(GU_CommDlg::kWwanModuleValueId);
        });
        GU_CommDlg page;
        commPage = &page;
        runPage(page, responder, [&] {
            QCOMPARE(page.ItemText(GU_CommDlg::kWwanModuleValueId), QString("Enable"));
            click(page, GU_CommDlg::kWwanSettingId);
        });
        QCOMPARE(shownAtRefresh, QString("Disable"));
        QCOMPARE(setting(L"WWAN_MODULE"), QString("0"));
    }

    // The close-down message closes an open power-off alert before the page itself.
    void closeDownClosesThePowerOffAlert()
    {
        QVERIFY(prepare("KTA", "GX58", {{"power", "set", "WakeOnSms", "1"}}));
        QPointer<QWidget> alert;
        bool alertClosedFirst = false;
        GU_CommDlg page;
        ModalResponder responder([&](QWidget* window) {
            alert = window;
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
            alertClosedFirst = !window->isVisible();
            SendCommand(&page, IDCANCEL);
        });
        responder.answerAlerts = false;
        const int result = runPage(page, responder, [&] { click(page, GU_CommDlg::kWwanSwitchId); });
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(responder.seen, QStringList{"alert:Wwan Poweroff Alert"});
        QVERIFY(alert);
        QVERIFY(alertClosedFirst);
    }

    void homeTracesAndCancels()
    {
        QVERIFY(prepare("KTA", "GX58"));
        TraceCapture capture;
        GU_CommDlg page;
        QTimer::singleShot(0, &page, [&] { QTest::mouseClick(page.Button(GU_CommDlg::kHomeId), Qt::LeftButton); });
        QCOMPARE(page.DoModal(), IDCANCEL);
        QVERIFY(capture.contains("GU_CommDlg:OnClicked_DevinfoHome"));
    }
};

TARVIK_QTEST_MAIN(tst_GU_CommDlg)
#include "tst_GU_CommDlg.moc"
