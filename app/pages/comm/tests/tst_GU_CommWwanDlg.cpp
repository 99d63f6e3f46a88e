// The WWAN settings page on the virtual board: what it reads at opening, its three choices, the
// four OK buttons with their calls, settings, messages and the refresh of the communication page,
// the SMS code field and its checks, the wait window of the code store's initialisation, and the
// close-down message.

#include "KeyboardLauncher.h"
#include "CommTestSupport.h"
#include "TraceCapture.h"

#include "GU_AlertSMSOnDlg.h"
#include "GU_CommSmsWaitWnd.h"
#include "GU_CommWwanDlg.h"
#include "Kestrom.h"
#include "ProcessLauncher.h"
#include "SmsCode.h"

#include <QLabel>
#include <QLineEdit>

using namespace commtest;
using tarvik::qtest::TraceCapture;

namespace {

constexpr char kNotice[] = "box:Notice!Wake on SMS enabled, please don't remove SIM card until you disable this function.";
constexpr char kBadCode[] = "box:Sms string must be '0-9' and 'A-F'.";

// Stands in for the communication page: counts the refresh messages and whether the settings page
// was still open when each came (the page sends it before it ends).
class RefreshProbe : public CPageDlg {
public:
    RefreshProbe() : CPageDlg(L"RefreshProbe", nullptr) {}
    int refreshes = 0;
    bool childOpenAtRefresh = false;
    QPointer<QWidget> child;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMM_REFRESH) {
            ++refreshes;
            childOpenAtRefresh = child && child->isVisible();
            return 0;
        }
        return CPageDlg::WindowProc(message, wParam, lParam);
    }
};

// Initialises the board's code store and stores a code through the power library itself.
bool storeCode(const char* code)
{
    CKestrom kestrom;
    return kestrom.vWU_WakeOnSMSStringInit() == 1 && (!code || kestrom.vWU_WakeOnSMSStringSet(code) == 1);
}

} // namespace

class tst_GU_CommWwanDlg : public QObject {
    Q_OBJECT
private:
    CountingSleeper m_sleeper;
    tarvik::qtest::KeyboardLauncher m_launcher;

private slots:
    void initTestCase()
    {
        tarvik::overrideProcessSleeper(&m_sleeper);
        overrideProcessLauncher(&m_launcher);
    }
    void cleanupTestCase()
    {
        overrideProcessLauncher(nullptr);
        tarvik::overrideProcessSleeper(nullptr);
    }
    void init()
    {
        WritePrivateProfileStringW(L"COMMUNICATION", nullptr, nullptr, SettingsFile());
        GU_CommWwanDlg::Selection() = {};
        m_sleeper.hook = nullptr;
        m_launcher.started.clear();
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
        TraceCapture capture;
        ModalResponder responder;
        GU_CommWwanDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.windowTitle(), QString("WWAN Setting"));
            QCOMPARE(page.BackgroundName(), QString("IDB_COMM_WWAN_SETTINGBASE_L"));
            QCOMPARE(page.size(), page.Background().size());
            QCOMPARE(page.pos(), QPoint((1024 - page.width()) / 2, (600 - page.height()) / 2));
            const struct {
                int id;
                QPoint at;
            } buttons[] = {{1032, {5, 35}}, {1033, {5, 145}}, {1035, {5, 255}}, {1037, {258, 20}},
                           {1039, {258, 125}}, {1046, {258, 235}}, {1042, {258, 345}}};
            for (const auto& b : buttons) {
                QCOMPARE(page.Button(b.id)->pos(), b.at);
                QCOMPARE(page.Button(b.id)->size(), page.Button(b.id)->image(0).size());
            }
            // The RQ63 has one SIM slot: greyed, and nothing to apply.
            CMyBitmapButton* slot = page.Button(GU_CommWwanDlg::kSimSlotId);
            QVERIFY(slot->isVisible());
            QCOMPARE(slot->isEnabled(), !rq63);
            QCOMPARE(slot->state(), rq63 ? GU_CommWwanDlg::kSlotGreyState : 0);
            QVERIFY(!slot->image(GU_CommWwanDlg::kSlotGreyState).isNull());
            QCOMPARE(page.Button(GU_CommWwanDlg::kSimSlotOkId)->isVisible(), !rq63);
            QCOMPARE(page.Button(GU_CommWwanDlg::kSimSlotOkId)->isEnabled(), !rq63);

            QLineEdit* prefix = page.PrefixEdit();
            QCOMPARE(prefix->text(), QString("#^& ?= %!WZ;"));
            QVERIFY(prefix->isReadOnly());
            // At least as given, and wide enough for the whole prefix; the code field follows it.
            QCOMPARE(prefix->pos(), QPoint(15, 390));
            QCOMPARE(prefix->height(), 15);
            QVERIFY(prefix->width() >= 68);
            QVERIFY(prefix->width() > prefix->fontMetrics().horizontalAdvance(prefix->text()));
            QCOMPARE(prefix->font().weight(), QFont::Bold);
            QLineEdit* code = page.CodeEdit();
            QCOMPARE(code->pos(), QPoint(prefix->geometry().right() + 1, 390));
            QVERIFY(code->width() >= 80);
            QVERIFY(code->geometry().right() < page.Button(GU_CommWwanDlg::kWakeStringOkId)->x());
            QCOMPARE(code->maxLength(), 8);
            QVERIFY(!code->isReadOnly());
            QCOMPARE(page.Text(GU_CommWwanDlg::kNoSimTextId)->geometry(), QRect(20, 285, 220, 40));
        });
        const QStringList lines = capture.lines().filter(
            QRegularExpression("^(GU_CommWwanDlg: |PROJECT|OnInitDialog: |GetAllComm)"));
        QStringList expected{"GU_CommWwanDlg: OnInitDialog()",
                             "PROJECT HARD_TYPE = <" + hardType + ">",
                             "OnInitDialog: vCM_WWANSIMCardIsInserted: bRet = 1",
                             "GetAllCommWWanStatus: vCM_WWANModuleStatus: bRet = 1, bValue = 1"};
        if (!rq63) // the slot is not read on the RQ63
            expected << "GetAllCommBTStatus: vCM_WWANSIMSlotStatus: bRet = 1, iValue = 1";
        expected << "GetAllCommWWanStatus: vWU_WakeOnSMSStatus: bRet = 1, bWakeOnSmsStatus = 0"
                 << "GetAllCommWWanStatus: vWU_WakeOnSMSStringGet: bRet = 0, wakeonSMSStringbuf = ";
        QCOMPARE(lines, expected);
    }

    void readsTheChoices_data()
    {
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<bool>("wakeOnSms");
        QTest::addColumn<bool>("sim");
        QTest::addColumn<QList<int>>("states"); // RF, slot, wake on SMS buttons
        QTest::addColumn<QString>("code");
        QTest::newRow("enabled, slot 1, waking on SMS")
            << QList<QStringList>{} << true << true << QList<int>{1, 0, 1} << "0123ABCD";
        QTest::newRow("disabled, slot 2 (empty): no SIM")
            << QList<QStringList>{{"ec", "9d", "0a"}} << false << false << QList<int>{0, 1, 0} << "0123ABCD";
        QTest::newRow("no SIM in slot 1")
            << QList<QStringList>{{"mbn", "sim", "1", "2"}} << true << false << QList<int>{1, 0, 0} << "0123ABCD";
        QTest::newRow("power library failing: empty code")
            << QList<QStringList>{{"fault", "kestrom-fail", "all"}} << true << true << QList<int>{1, 0, 0} << "";
    }
    void readsTheChoices()
    {
        QFETCH(QList<QStringList>, setup);
        QFETCH(bool, wakeOnSms);
        QFETCH(bool, sim);
        QFETCH(QList<int>, states);
        QFETCH(QString, code);
        QVERIFY(prepare("KTA", "GX58"));
        QVERIFY(storeCode("0123ABCD"));
        QVERIFY(boardSetup({{"power", "set", "WakeOnSms", wakeOnSms ? "1" : "0"}}));
        QVERIFY(boardSetup(setup));
        ModalResponder responder;
        GU_CommWwanDlg page;
        runPage(page, responder, [&] {
            QCOMPARE(page.simPresent(), sim);
            QCOMPARE(page.Button(GU_CommWwanDlg::kRfSwitchId)->state(), states[0]);
            QCOMPARE(page.Button(GU_CommWwanDlg::kSimSlotId)->state(), states[1]);
            QCOMPARE(page.Button(GU_CommWwanDlg::kWakeOnSmsId)->state(), states[2]);
            QCOMPARE(page.CodeEdit()->text(), code);
            for (int id : {GU_CommWwanDlg::kWakeOnSmsId, GU_CommWwanDlg::kWakeOnSmsOkId}) {
                QCOMPARE(page.Button(id)->isVisible(), sim);
                QCOMPARE(page.Button(id)->isEnabled(), sim);
            }
            QCOMPARE(page.Text(GU_CommWwanDlg::kNoSimTextId)->isVisible(), !sim);
            QCOMPARE(page.ItemText(GU_CommWwanDlg::kNoSimTextId), QString("No SIM.No function."));
        });
        QCOMPARE(GU_CommWwanDlg::Selection().wakeOnSms, sim && wakeOnSms && states[2] == 1);
    }

    // The choice buttons change only the choice: the hardware is left alone until OK.
    void choiceButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("traces");
        QTest::newRow("RF") << GU_CommWwanDlg::kRfSwitchId
                            << QStringList{"OnClicked_RfSwitch: RF to Disable", "OnClicked_RfSwitch: RF to Enable"};
        QTest::newRow("SIM slot") << GU_CommWwanDlg::kSimSlotId
                                  << QStringList{"OnClicked_CommSimSlot: SIM Slot to Slot2",
                                                 "OnClicked_CommSimSlot: SIM Slot to Slot1"};
        QTest::newRow("wake on SMS") << GU_CommWwanDlg::kWakeOnSmsId
                                     << QStringList{"OnClicked_CommWakeonSms: Wake On SMS to Enable",
                                                    "OnClicked_CommWakeonSms: Wake On SMS to Disable"};
    }
    void choiceButtons()
    {
        QFETCH(int, button);
        QFETCH(QStringList, traces);
        QVERIFY(prepare("KTA", "GX58"));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommWwanDlg page;
        runPage(page, responder, [&] {
            const int before = page.Button(button)->state();
            click(page, button);
            QCOMPARE(page.Button(button)->state(), 1 - before);
            click(page, button);
            QCOMPARE(page.Button(button)->state(), before);
        });
        QCOMPARE(capture.lines().filter(QRegularExpression("^OnClicked_(RfSwitch|CommSimSlot|CommWakeonSms):")), traces);
        QCOMPARE(ecByte("9d"), 0x06);
        QCOMPARE(powerValue("WakeOnSms"), QString("0"));
        QVERIFY(responder.seen.isEmpty());
    }

    void codeFieldTakesEightCapitalsAndStartsOneKeyboard()
    {
        QVERIFY(prepare("KTA", "GX58"));
        TraceCapture capture;
        ModalResponder responder;
        GU_CommWwanDlg page;
        runPage(page, responder, [&] {
            QLineEdit* code = page.CodeEdit();
            page.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&page));
            QVERIFY(m_launcher.started.isEmpty()); // not at opening
            code->setFocus(Qt::MouseFocusReason);
            QTest::keyClicks(code, "abc123def9");
            QCOMPARE(code->text(), QString("ABC123DE"));
            page.PrefixEdit()->setFocus(Qt::MouseFocusReason);
            code->setFocus(Qt::MouseFocusReason);
        });
        QCOMPARE(m_launcher.started, QStringList{"onboard"});
        QCOMPARE(capture.lines().filter("OnSetfocus_SyswakeupSmsTextEdit"),
                 (QStringList{"OnSetfocus_SyswakeupSmsTextEdit: MyDoProcess: iRet = 0 action = 0",
                              "OnSetfocus_SyswakeupSmsTextEdit: MyDoProcess: iRet = 1 action = 0"}));
    }

    void okButtons_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<int>("choice"); // pressed once before OK (0: none)
        QTest::addColumn<int>("ok");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<int>("ec9d");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("written");

        QTest::newRow("RF off") << "KTA" << QList<QStringList>{} << GU_CommWwanDlg::kRfSwitchId
                                << GU_CommWwanDlg::kRfSwitchOkId
                                << QStringList{"OnClicked_RfSwitchOk: WWAN Module to OFF",
                                               "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bRF_Switch = 0"}
                                << QStringList{} << 0x02 << "WWAN_MODULE" << "0";
        QTest::newRow("RF on") << "KTA" << QList<QStringList>{{"ec", "9d", "02"}} << GU_CommWwanDlg::kRfSwitchId
                               << GU_CommWwanDlg::kRfSwitchOkId
                               << QStringList{"OnClicked_RfSwitchOk: WWAN Module to ON",
                                              "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 1, m_bRF_Switch = 1"}
                               << QStringList{} << 0x06 << "WWAN_MODULE" << "1";
        QTest::newRow("RF fails: nothing written")
            << "KTA" << QList<QStringList>{{"fault", "ec-ignore-commands"}} << GU_CommWwanDlg::kRfSwitchId
            << GU_CommWwanDlg::kRfSwitchOkId
            << QStringList{"OnClicked_RfSwitchOk: WWAN Module to OFF",
                           "OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = 0, m_bRF_Switch = 0"}
            << QStringList{"box:Set WWAN module fail!"} << 0x06 << "WWAN_MODULE" << "<none>";
        QTest::newRow("SIM slot 2") << "KTA" << QList<QStringList>{} << GU_CommWwanDlg::kSimSlotId
                                    << GU_CommWwanDlg::kSimSlotOkId
                                    << QStringList{"OnClicked_SimSlotOk: sim slot to 2",
                                                   "OnClicked_SimSlotOk: vCM_WWANSIMSlotSwitch: bRet = 1, m_bSimSlot = 1"}
                                    << QStringList{} << 0x0e << "SIM_SLOT" << "1";
        QTest::newRow("SIM slot 1") << "KZS" << QList<QStringList>{{"ec", "9d", "0e"}} << GU_CommWwanDlg::kSimSlotId
                                    << GU_CommWwanDlg::kSimSlotOkId
                                    << QStringList{"OnClicked_SimSlotOk: sim slot to 1",
                                                   "OnClicked_SimSlotOk: vCM_WWANSIMSlotSwitch: bRet = 1, m_bSimSlot = 0"}
                                    << QStringList{} << 0x06 << "SIM_SLOT" << "0";
        QTest::newRow("SIM slot fails: nothing written")
            << "KTA" << QList<QStringList>{{"fault", "ec-ignore-commands"}} << GU_CommWwanDlg::kSimSlotId
            << GU_CommWwanDlg::kSimSlotOkId
            << QStringList{"OnClicked_SimSlotOk: sim slot to 2",
                           "OnClicked_SimSlotOk: vCM_WWANSIMSlotSwitch: bRet = 0, m_bSimSlot = 1"}
            << QStringList{"box:Set sim slot fail!"} << 0x06 << "SIM_SLOT" << "<none>";
    }
    void okButtons()
    {
        QFETCH(QString, model);
        QFETCH(QList<QStringList>, setup);
        QFETCH(int, choice);
        QFETCH(int, ok);
        QFETCH(QStringList, traces);
        QFETCH(QStringList, seen);
        QFETCH(int, ec9d);
        QFETCH(QString, key);
        QFETCH(QString, written);
        QVERIFY(prepare(model, model == "KZS" ? "RQ72" : "GX58", setup));
        TraceCapture capture;
        ModalResponder responder;
        RefreshProbe parent;
        GU_CommWwanDlg page;
        page.SetParentPage(&parent);
        parent.child = &page;
        const int result = runPage(page, responder, [&] {
            if (choice)
                click(page, choice);
            click(page, ok);
            QVERIFY(!page.isVisible()); // every OK ends the page
        });
        QCOMPARE(result, IDCANCEL);
        QCOMPARE(capture.lines().filter(QRegularExpression("^OnClicked_(RfSwitchOk|CommWwanSwitch|SimSlotOk)")), traces);
        QCOMPARE(responder.seen, seen);
        QCOMPARE(ecByte("9d"), ec9d);
        QCOMPARE(setting(key.toStdWString().c_str()), written);
        // An applied change refreshes the communication page while this page is still open.
        QCOMPARE(parent.refreshes, seen.isEmpty() ? 1 : 0);
        QCOMPARE(parent.childOpenAtRefresh, seen.isEmpty());
    }

    void wakeOnSmsOk_data()
    {
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<QString>("wwanPower"); // WWAN_POWER before, empty: missing
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QStringList>("traces");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("wakeOnSms");
        QTest::addColumn<int>("ec9d");
        QTest::addColumn<QString>("wwanPowerAfter");

        // The settings say the WWAN is off (the button is only there while a SIM answers, so the
        // modem itself is powered): it is switched on and recorded as on.
        QTest::newRow("enable with WWAN_POWER 0: power on, alert, notice")
            << QList<QStringList>{} << "0" << true
            << QStringList{"OnClicked_WakeOnSmsOk: WakeOnSms to ON", "OnClicked_SyswakeupSms: vCM_WWANPowerOnOff to TRUE: bRet = 1",
                           "OnClicked_WakeOnSmsOk: vWU_WakeOnSMSSwitch: bRet = 1, m_bWakeOnSms_Switch = 1"}
            << QStringList{"alert:SmsOn Alert", kNotice} << "1" << 0x06 << "1";
        QTest::newRow("enable, WWAN_POWER missing: notice only")
            << QList<QStringList>{} << "" << true
            << QStringList{"OnClicked_WakeOnSmsOk: WakeOnSms to ON",
                           "OnClicked_WakeOnSmsOk: vWU_WakeOnSMSSwitch: bRet = 1, m_bWakeOnSms_Switch = 1"}
            << QStringList{kNotice} << "1" << 0x06 << "<none>";
        QTest::newRow("disable: no notice, no alert")
            << QList<QStringList>{{"power", "set", "WakeOnSms", "1"}} << "0" << false
            << QStringList{"OnClicked_WakeOnSmsOk: WakeOnSms to OFF",
                           "OnClicked_WakeOnSmsOk: vWU_WakeOnSMSSwitch: bRet = 1, m_bWakeOnSms_Switch = 0"}
            << QStringList{} << "0" << 0x06 << "0";
        QTest::newRow("enable refused by the power library: said so, no notice")
            << QList<QStringList>{{"fault", "kestrom-fail", "vWU_WakeOnSMSSwitch"}} << "" << true
            << QStringList{"OnClicked_WakeOnSmsOk: WakeOnSms to ON",
                           "OnClicked_WakeOnSmsOk: vWU_WakeOnSMSSwitch: bRet = 0, m_bWakeOnSms_Switch = 1"}
            << QStringList{"box:Set wake on SMS fail!"} << "0" << 0x06 << "<none>";
    }
    void wakeOnSmsOk()
    {
        QFETCH(QList<QStringList>, setup);
        QFETCH(QString, wwanPower);
        QFETCH(bool, enable);
        QFETCH(QStringList, traces);
        QFETCH(QStringList, seen);
        QFETCH(QString, wakeOnSms);
        QFETCH(int, ec9d);
        QFETCH(QString, wwanPowerAfter);
        QVERIFY(prepare("KTA", "GX58", setup));
        if (!wwanPower.isEmpty())
            setSetting(L"WWAN_POWER", wwanPower.toStdWString().c_str());
        TraceCapture capture;
        ModalResponder responder;
        RefreshProbe parent;
        GU_CommWwanDlg page;
        page.SetParentPage(&parent);
        runPage(page, responder, [&] {
            if (page.Button(GU_CommWwanDlg::kWakeOnSmsId)->state() != (enable ? 1 : 0))
                click(page, GU_CommWwanDlg::kWakeOnSmsId);
            capture.clear();
            click(page, GU_CommWwanDlg::kWakeOnSmsOkId);
            QVERIFY(!page.isVisible());
        });
        QCOMPARE(capture.lines().filter(QRegularExpression("^OnClicked_(WakeOnSmsOk|SyswakeupSms)")), traces);
        QCOMPARE(responder.seen, seen);
        QCOMPARE(powerValue("WakeOnSms"), wakeOnSms);
        QCOMPARE(ecByte("9d"), ec9d);
        QCOMPARE(setting(L"WWAN_POWER"), wwanPowerAfter);
        QCOMPARE(parent.refreshes, 1);
        if (seen.contains("alert:SmsOn Alert")) {
            QCOMPARE(capture.count("GU_AlertSMSOnDlg: OnInitDialog()"), 1);
            QCOMPARE(capture.count("GU_AlertSMSOnDlg:OnClicked_AlertSmsonOk"), 1);
        }
    }

    void wakeString_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("storeReady");
        QTest::addColumn<QList<QStringList>>("setup");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<QString>("stored");

        QTest::newRow("8 valid") << "0123ABCD" << true << QList<QStringList>{} << QStringList{"box:Success."} << false
                                 << "0123ABCD";
        QTest::newRow("8 valid, typed small") << "9f8e7d6c" << true << QList<QStringList>{}
                                              << QStringList{"box:Success."} << false << "9F8E7D6C";
        QTest::newRow("7 characters") << "0123ABC" << true << QList<QStringList>{} << QStringList{kBadCode} << true
                                      << "(none)";
        QTest::newRow("a letter beyond F") << "0123ABCG" << true << QList<QStringList>{} << QStringList{kBadCode}
                                           << true << "(none)";
        QTest::newRow("the store's check fails")
            << "0123ABCD" << true << QList<QStringList>{{"fault", "kestrom-fail", "vWU_WakeOnSMSStringCheck"}}
            << QStringList{"box:Fail to check SMS string."} << true << "(none)";
        QTest::newRow("the store refuses the code")
            << "0123ABCD" << true << QList<QStringList>{{"fault", "kestrom-fail", "vWU_WakeOnSMSStringSet"}}
            << QStringList{"box:Failed to set SMS string."} << false << "(none)";
        QTest::newRow("store not initialised: initialised, then stored")
            << "0123ABCD" << false << QList<QStringList>{} << QStringList{"box:Success."} << false << "0123ABCD";
        QTest::newRow("store initialisation fails: said so, the code is still tried")
            << "0123ABCD" << false << QList<QStringList>{{"fault", "kestrom-fail", "vWU_WakeOnSMSStringInit"}}
            << QStringList{"box:Fail to initialize SMS string.", "box:Failed to set SMS string."} << false << "(none)";
    }
    void wakeString()
    {
        QFETCH(QString, typed);
        QFETCH(bool, storeReady);
        QFETCH(QList<QStringList>, setup);
        QFETCH(QStringList, seen);
        QFETCH(bool, staysOpen);
        QFETCH(QString, stored);
        constexpr unsigned kInitMs = 3210;
        QVERIFY(prepare("KTA", "GX58", {{"set", "SmsStoreInitMs", QString::number(kInitMs)}}));
        if (storeReady)
            QVERIFY(storeCode(nullptr));
        QVERIFY(boardSetup(setup));
        m_sleeper.clear();
        // While the store initialises, the wait window must be on the screen, centred, and drawn.
        QStringList duringInit;
        m_sleeper.hook = [&](unsigned ms) {
            if (ms != kInitMs)
                return;
            GU_CommSmsWaitWnd* wait = GU_CommSmsWaitWnd::Current();
            const bool shown = wait && wait->isVisible() && wait->paintCount() > 0 && wait->isWindow() &&
                               wait->geometry().center() == QRect(0, 0, 1024, 600).center();
            duringInit << (shown ? wait->text() : QString("no window"));
        };
        ModalResponder responder;
        RefreshProbe parent;
        GU_CommWwanDlg page;
        page.SetParentPage(&parent);
        runPage(page, responder, [&] {
            page.CodeEdit()->setFocus(Qt::MouseFocusReason);
            QTest::keyClicks(page.CodeEdit(), typed);
            click(page, GU_CommWwanDlg::kWakeStringOkId);
            QCOMPARE(page.isVisible(), staysOpen);
        });
        QCOMPARE(responder.seen, seen);
        QCOMPARE(powerValue("SmsCode"), stored);
        QCOMPARE(parent.refreshes, staysOpen ? 0 : 1);
        const bool initialises = !storeReady && setup.isEmpty();
        QCOMPARE(duringInit, initialises ? QStringList{"Initializing SMS string. Please wait..."} : QStringList{});
        QCOMPARE(m_sleeper.count(kInitMs), initialises ? 1 : 0);
        QVERIFY(!GU_CommSmsWaitWnd::Current()); // gone once the store is ready
    }

    // The close-down message closes the SMS-on alert the page has open; the alert itself ignores it.
    void closeDownClosesTheSmsOnAlert()
    {
        QVERIFY(prepare("KTA", "GX58"));
        setSetting(L"WWAN_POWER", L"0");
        QPointer<QWidget> alert;
        LRESULT alertAnswer = -1;
        GU_CommWwanDlg page;
        ModalResponder responder([&](QWidget* window) {
            if (window->windowTitle() != "SmsOn Alert")
                return;
            alert = window;
            alertAnswer = SendMessage(window, WM_CLOSE_CHILDREN);
            QVERIFY(window->isVisible());
            QCOMPARE(SendMessage(&page, WM_CLOSE_CHILDREN), LRESULT(0));
        });
        responder.answerAlerts = false;
        runPage(page, responder, [&] {
            click(page, GU_CommWwanDlg::kWakeOnSmsId);
            click(page, GU_CommWwanDlg::kWakeOnSmsOkId);
        });
        QVERIFY(alert);
        QVERIFY(!alert->isVisible());
        QCOMPARE(alertAnswer, LRESULT(0));
        QCOMPARE(responder.seen, (QStringList{"alert:SmsOn Alert", kNotice}));
    }

    void smsCodeRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("digits and A-F") << "0123ABCD" << true;
        QTest::newRow("all F") << "FFFFFFFF" << true;
        QTest::newRow("seven") << "0123ABC" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("G") << "0123ABCG" << false;
        QTest::newRow("small letters") << "0123abcd" << false;
        QTest::newRow("blank inside") << "0123 BCD" << false;
        QTest::newRow("more than eight: the first eight count") << "0123ABCDZ" << true;
    }
    void smsCodeRules()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsValidSmsCode(text.toStdWString()), valid);
    }

    void smsCodeBufferWithoutTerminatorEndsAtItsEnd()
    {
        SmsCodeBuffer buffer;
        buffer.fill('A');
        QCOMPARE(SmsCodeFromBuffer(buffer, buffer.size()).size(), buffer.size());
        QCOMPARE(QString::fromStdWString(SmsCodeFromBuffer(buffer, kSmsCodeChars)), QString("AAAAAAAA"));
    }
};

TARVIK_QTEST_MAIN(tst_GU_CommWwanDlg)
#include "tst_GU_CommWwanDlg.moc"
