// The wake-up page on the virtual board: the RTC half (switch, the time read and saved with its
// range check, pasted and empty fields), the SMS half with and without a SIM card, the radio powered
// for wake on SMS, the code check and the store initialised behind the wait window, the on-screen
// keyboard, and the close-children cascade over the SMS-on alert.

#include "KeyboardLauncher.h"
#include "SystemPageTest.h"
#include "TraceCapture.h"

#include "CMyBitmapButton.h"
#include "GU_AlertSMSOnDlg.h"
#include "GU_CommSmsWaitWnd.h"
#include "GU_SysWakeupDlg.h"
#include "ProcessLauncher.h"
#include "Sleeper.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include <mutex>
#include <vector>

using namespace tarvik::qtest;
using tarvik::board::PowerValue;
using Page = GU_SysWakeupDlg;

namespace {

constexpr char kNotice[] = "box:Notice!Wake on SMS enabled, please don't remove SIM card until you disable this function.";

bool shown(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isVisible(); }
bool enabled(const Page& page, int id) { return page.GetDlgItem(id) && page.GetDlgItem(id)->isEnabled(); }

QStringList pageLines(TraceCapture& capture)
{
    return capture.lines().filter(QRegularExpression("^(?!.*::OnPaint\\(\\))"));
}

// Counts the library's hardware waits instead of waiting; the hook looks around during one.
class CountingSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned milliseconds) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_waits.push_back(milliseconds);
        }
        if (hook)
            hook(milliseconds);
    }
    std::function<void(unsigned)> hook;

private:
    std::mutex m_mutex;
    std::vector<unsigned> m_waits;
};

// Answers the message boxes ("box:<text>") and the SMS-on alert ("alert") that the page opens
// modally, in order. `onAlert`, when given, deals with the alert instead of closing it.
class Responder {
public:
    explicit Responder(std::function<void(CPageDlg*)> onAlert = {}) : m_onAlert(std::move(onAlert))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* top = qobject_cast<CPageDlg*>(QApplication::activeModalWidget());
            if (!top || !top->IsRunningModal() || !top->isVisible() || top == m_answered)
                return;
            m_answered = top;
            if (auto* box = qobject_cast<GU_MyMessageboxDlg*>(top)) {
                seen << "box:" + QString::fromStdWString(box->text());
                box->EndDialog(IDCANCEL);
            } else if (top->windowTitle() == "SmsOn Alert") {
                seen << "alert";
                if (m_onAlert)
                    m_onAlert(top);
                else
                    top->EndDialog(IDCANCEL);
            }
        });
        m_timer.start();
    }
    QStringList seen;

private:
    std::function<void(CPageDlg*)> m_onAlert;
    QTimer m_timer;
    QPointer<CPageDlg> m_answered;
};

QString storedCode()
{
    return powerBoard()->memory().locked([](tarvik::board::PowerState& s) { return QString::fromLatin1(s.smsCode); });
}

QString setting(const wchar_t* section, const wchar_t* key)
{
    return QString::fromStdWString(ReadSettingText(section, key, L"<none>"));
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class tst_GU_SysWakeupDlg : public QObject {
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
        QVERIFY(createBoard("KTA"));
        setHardType({});
        setSetting(L"COMMUNICATION", nullptr, nullptr);
        m_sleeper.hook = nullptr;
        m_launcher.started.clear();
    }

    void rtcAtOpening_data()
    {
        QTest::addColumn<QString>("rtc");
        QTest::newRow("on") << "1";
        QTest::newRow("off") << "0";
    }
    void rtcAtOpening()
    {
        QFETCH(QString, rtc);
        const bool on = rtc == "1";
        QVERIFY(powerSet("WakeOnRtc", rtc));
        QVERIFY(powerSet("RtcHour", "7"));
        QVERIFY(powerSet("RtcMinute", "5"));
        QVERIFY(powerSet("RtcSecond", "30"));
        setSetting(L"COMMUNICATION", L"COM_PORT", L"4");
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.windowTitle(), QString("SystemWakeup"));
            QCOMPARE(page.Button(Page::kRtcSwitchId)->state(), int(on));
            QCOMPARE(page.Button(Page::kRtcCaptionId)->state(), int(on));
            QVERIFY(!enabled(page, Page::kRtcCaptionId));
            for (int id : {Page::kHourEditId, Page::kMinuteEditId, Page::kSecondEditId, Page::kRtcSaveId}) {
                QCOMPARE(shown(page, id), on);
                QCOMPARE(enabled(page, id), on);
            }
            if (on) {
                QCOMPARE(page.Edit(Page::kHourEditId)->text(), QString("7"));
                QCOMPARE(page.Edit(Page::kMinuteEditId)->text(), QString("5"));
                QCOMPARE(page.Edit(Page::kSecondEditId)->text(), QString("30"));
            }
        });
        QCOMPARE(powerValue(PowerValue::GsmSerialPort), 4);
        QCOMPARE(powerValue(PowerValue::GsmBaudRate), 115200);
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.value(0), QString("GU_SysWakeupDlg: OnInitDialog()"));
        QVERIFY(lines.contains(QString("GetWakeupRtcStatus :vWU_WakeOnRTCStatus: bRet = 1, bStatus = %1").arg(rtc)));
        QCOMPARE(lines.contains("GetWakeupRtcSetting :vWU_WakeOnRTCTimerStatus: bRet = 1, hour=7, minute=5 second=30"), on);
        QVERIFY(m_launcher.started.isEmpty()); // no keyboard at opening
    }

    void rtcSwitch_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("accepted") << false;
        QTest::newRow("refused") << true;
    }
    void rtcSwitch()
    {
        QFETCH(bool, fails);
        QVERIFY(powerSet("WakeOnRtc", "0"));
        QVERIFY(powerSet("RtcHour", "6"));
        if (fails)
            QVERIFY(kestromFail("vWU_WakeOnRTCSwitch"));
        TraceCapture capture;
        Responder responder;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kRtcSwitchId), Qt::LeftButton);
            QCOMPARE(Page::RtcState(), fails ? 0 : 1);
            QCOMPARE(page.Button(Page::kRtcSwitchId)->state(), fails ? 0 : 1);
            QCOMPARE(shown(page, Page::kRtcSaveId), !fails);
            if (!fails)
                QCOMPARE(page.Edit(Page::kHourEditId)->text(), QString("6")); // read again
        });
        QCOMPARE(powerValue(PowerValue::WakeOnRtc), fails ? 0 : 1);
        QCOMPARE(responder.seen, fails ? QStringList{"box:Wake On RTC Switch fail!"} : QStringList{});
        QVERIFY(pageLines(capture).contains(
            QString("OnClicked_SyswakeupRtc :vWU_WakeOnRTCSwitch: bRet = %1, TRUE").arg(fails ? 0 : 1)));
    }

    // What reaches Save is converted and range-checked, typed or pasted, never wrapped round.
    void rtcSave_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("pasted"); // set as a whole (a paste), not typed
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<int>>("stored");
        const QString ok = "box:Set wakeup RTC timer success!";
        const QString bad = "box:Input value is not correct!";
        const QList<int> untouched{6, 6, 6};
        QTest::newRow("23:59:59") << QStringList{"23", "59", "59"} << false << ok << QList<int>{23, 59, 59};
        QTest::newRow("hour 24") << QStringList{"24", "0", "0"} << false << bad << untouched;
        QTest::newRow("minute 60") << QStringList{"0", "60", "0"} << false << bad << untouched;
        QTest::newRow("second 60") << QStringList{"0", "0", "60"} << false << bad << untouched;
        QTest::newRow("empty: 00:00:00") << QStringList{"", "", ""} << false << ok << QList<int>{0, 0, 0};
        QTest::newRow("letters typed are not taken") << QStringList{"1x2", "3", "4"} << false << ok << QList<int>{12, 3, 4};
        QTest::newRow("pasted leading digits") << QStringList{"12abc", "3", "4"} << true << ok << QList<int>{12, 3, 4};
        QTest::newRow("pasted 2^32 + 5") << QStringList{"4294967301", "0", "0"} << true << bad << untouched;
        QTest::newRow("pasted 256 (a byte would wrap to 0)") << QStringList{"0", "256", "0"} << true << bad << untouched;
        QTest::newRow("pasted -1") << QStringList{"-1", "0", "0"} << true << bad << untouched;
    }
    void rtcSave()
    {
        QFETCH(QStringList, fields);
        QFETCH(bool, pasted);
        QFETCH(QString, message);
        QFETCH(QList<int>, stored);
        QVERIFY(powerSet("WakeOnRtc", "1"));
        for (const char* name : {"RtcHour", "RtcMinute", "RtcSecond"})
            QVERIFY(powerSet(name, "6"));
        Responder responder;
        Page page;
        runPage(page, [&] {
            const int ids[] = {Page::kHourEditId, Page::kMinuteEditId, Page::kSecondEditId};
            for (int i = 0; i < 3; ++i) {
                if (pasted)
                    page.Edit(ids[i])->setText(fields[i]);
                else
                    typeInto(page.Edit(ids[i]), fields[i]);
            }
            QTest::mouseClick(page.Button(Page::kRtcSaveId), Qt::LeftButton);
        });
        QCOMPARE(responder.seen, QStringList{message});
        QCOMPARE((QList<int>{powerValue(PowerValue::RtcHour), powerValue(PowerValue::RtcMinute),
                             powerValue(PowerValue::RtcSecond)}),
                 stored);
    }

    void rtcSaveFails()
    {
        QVERIFY(powerSet("WakeOnRtc", "1"));
        QVERIFY(kestromFail("vWU_WakeOnRTCTimer"));
        TraceCapture capture;
        Responder responder;
        Page page;
        runPage(page, [&] {
            typeInto(page.Edit(Page::kHourEditId), "8");
            QTest::mouseClick(page.Button(Page::kRtcSaveId), Qt::LeftButton);
        });
        QCOMPARE(responder.seen, QStringList{"box:Set wakeup RTC timer fail!"});
        QVERIFY(pageLines(capture).contains("OnClicked_SyswakeupRtcSave: vWU_WakeOnRTCTimer to [8][0][0]. bRet = 0"));
    }

    void smsHalf_data()
    {
        QTest::addColumn<QString>("simState"); // ready state of the SIM in slot 1
        QTest::addColumn<QString>("wakeOnSms");
        QTest::addColumn<bool>("sim");
        QTest::newRow("SIM, waking on SMS") << "1" << "1" << true;
        QTest::newRow("SIM, not waking") << "1" << "0" << true;
        QTest::newRow("no SIM") << "2" << "1" << false;
    }
    void smsHalf()
    {
        QFETCH(QString, simState);
        QFETCH(QString, wakeOnSms);
        QFETCH(bool, sim);
        const bool on = sim && wakeOnSms == "1";
        QVERIFY(boardTool({"mbn", "sim", "1", simState}));
        QVERIFY(powerSet("WakeOnSms", wakeOnSms));
        {
            CKestrom kestrom;
            QVERIFY(kestrom.vWU_WakeOnSMSStringInit());
            QVERIFY(kestrom.vWU_WakeOnSMSStringSet("0123ABCD"));
        }
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            QCOMPARE(page.simPresent(), sim);
            QCOMPARE(shown(page, Page::kNoSimTextId), !sim);
            QCOMPARE(page.ItemText(Page::kNoSimTextId), QString("SIM card not existed, so no wake on SMS function."));
            QCOMPARE(shown(page, Page::kSmsSwitchId), sim);
            QCOMPARE(shown(page, Page::kSmsCaptionId), sim);
            if (sim)
                QCOMPARE(page.Button(Page::kSmsSwitchId)->state(), int(on));
            QCOMPARE(shown(page, Page::kSmsTextCaptionId), on);
            QVERIFY(!enabled(page, Page::kSmsTextCaptionId));
            for (int id : {Page::kSmsSaveId, Page::kCodeEditId, Page::kPrefixEditId}) {
                QCOMPARE(shown(page, id), on);
                QCOMPARE(enabled(page, id), on);
            }
            QCOMPARE(page.Edit(Page::kPrefixEditId)->text(), QString("#^& ?= %!WZ;"));
            QVERIFY(page.Edit(Page::kPrefixEditId)->isReadOnly());
            QCOMPARE(page.Edit(Page::kCodeEditId)->text(), on ? QString("0123ABCD") : QString());
            // The RTC half is there either way.
            QVERIFY(shown(page, Page::kRtcSwitchId));
        });
        const QStringList lines = pageLines(capture);
        QVERIFY(lines.contains(QString("GetWakeupSmsStatus: vCM_WWANSIMCardIsInserted: bRet = %1").arg(sim ? 1 : 0)));
        QCOMPARE(lines.filter("vWU_WakeOnSMSStatus").size(), sim ? 1 : 0);
        QCOMPARE(lines.contains("GetWakeupSmsStatus: vWU_WakeOnSMSStringGet: bRet = 1, wakeonSMSStringbuf = 0123ABCD"), on);
    }

    // Turning wake on SMS on: the radio powered first when the settings have it off, the alert for
    // that, then the notice. A refused switch rolls back but leaves the radio on.
    void smsSwitch_data()
    {
        QTest::addColumn<QString>("wwanPower"); // COMMUNICATION/WWAN_POWER, empty for none
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("wwanPowerAfter");
        QTest::newRow("radio on") << "1" << false << QStringList{kNotice} << "1";
        QTest::newRow("no key: counts as on") << "" << false << QStringList{kNotice} << "<none>";
        QTest::newRow("radio off: powered, alert, notice") << "0" << false << QStringList{"alert", kNotice} << "1";
        QTest::newRow("radio off, switch refused") << "0" << true << QStringList{"box:Wake On SMS Switch fail!"} << "1";
    }
    void smsSwitch()
    {
        QFETCH(QString, wwanPower);
        QFETCH(bool, fails);
        QFETCH(QStringList, seen);
        QFETCH(QString, wwanPowerAfter);
        QVERIFY(powerSet("WakeOnSms", "0"));
        if (!wwanPower.isEmpty())
            setSetting(L"COMMUNICATION", L"WWAN_POWER", wwanPower.toStdWString().c_str());
        if (fails)
            QVERIFY(kestromFail("vWU_WakeOnSMSSwitch"));
        TraceCapture capture;
        Responder responder;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kSmsSwitchId), Qt::LeftButton);
            QCOMPARE(Page::SmsState(), fails ? 0 : 1);
            QCOMPARE(page.Button(Page::kSmsSwitchId)->state(), fails ? 0 : 1);
            QCOMPARE(shown(page, Page::kCodeEditId), !fails);
            QCOMPARE(shown(page, Page::kSmsSaveId), !fails);
        });
        QCOMPARE(responder.seen, seen);
        QCOMPARE(powerValue(PowerValue::WakeOnSms), fails ? 0 : 1);
        QCOMPARE(setting(L"COMMUNICATION", L"WWAN_POWER"), wwanPowerAfter);
        const QStringList lines = pageLines(capture);
        QCOMPARE(lines.contains("OnClicked_SyswakeupSms: vCM_WWANPowerOnOff to TRUE: bRet = 1"), wwanPower == "0");
        QVERIFY(lines.contains(QString("OnClicked_SyswakeupSms: vWU_WakeOnSMSSwitch: bRet = %1, m_bWake_sms_Switch = 1")
                                   .arg(fails ? 0 : 1)));
    }

    void smsSwitchOff()
    {
        QVERIFY(powerSet("WakeOnSms", "1"));
        Responder responder;
        Page page;
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kSmsSwitchId), Qt::LeftButton);
            QVERIFY(!shown(page, Page::kCodeEditId));
            QVERIFY(!shown(page, Page::kSmsTextCaptionId));
        });
        QVERIFY(responder.seen.isEmpty()); // no notice when turning off
        QCOMPARE(powerValue(PowerValue::WakeOnSms), 0);
    }

    // The code table: exactly eight characters of 0-9 and A-F (typed letters become capitals).
    void smsCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QString>("stored");
        const QStringList bad{"box:Sms string must be '0-9' and 'A-F'."};
        QTest::newRow("0123ABCD") << "0123ABCD" << QStringList{"box:Success."} << "0123ABCD";
        QTest::newRow("lower case typed") << "89abcdef" << QStringList{"box:Success."} << "89ABCDEF";
        QTest::newRow("nine typed: eight kept") << "123456789" << QStringList{"box:Success."} << "12345678";
        QTest::newRow("seven") << "0123ABC" << bad << "FFFFFFFF";
        QTest::newRow("G") << "0123ABCG" << bad << "FFFFFFFF";
        QTest::newRow("empty") << "" << bad << "FFFFFFFF";
    }
    void smsCode()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, seen);
        QFETCH(QString, stored);
        QVERIFY(powerSet("WakeOnSms", "1"));
        {
            CKestrom kestrom;
            QVERIFY(kestrom.vWU_WakeOnSMSStringInit());
            QVERIFY(kestrom.vWU_WakeOnSMSStringSet("FFFFFFFF"));
        }
        Responder responder;
        Page page;
        runPage(page, [&] {
            typeInto(page.Edit(Page::kCodeEditId), typed);
            QTest::mouseClick(page.Button(Page::kSmsSaveId), Qt::LeftButton);
        });
        QCOMPARE(responder.seen, seen);
        QCOMPARE(storedCode(), stored);
    }

    // A store not initialised yet is initialised behind the wait window, then the code written.
    void smsStoreNotInitialised_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<bool>("waits");
        QTest::newRow("initialised, then set") << "" << QStringList{"box:Success."} << true;
        QTest::newRow("check fails") << "vWU_WakeOnSMSStringCheck" << QStringList{"box:Failed to check SMS string."} << false;
        QTest::newRow("init fails, set still tried")
            << "vWU_WakeOnSMSStringInit,vWU_WakeOnSMSStringSet"
            << QStringList{"box:Fail to initialize SMS string.", "box:Fail to set SMS string."} << true;
    }
    void smsStoreNotInitialised()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, seen);
        QFETCH(bool, waits);
        constexpr unsigned kInitMs = 2345;
        QVERIFY(powerSet("WakeOnSms", "1"));
        QVERIFY(boardTool({"set", "SmsStoreInitMs", QString::number(kInitMs)}));
        QCOMPARE(powerValue(PowerValue::SmsStoreReady), 0);
        if (!fault.isEmpty())
            QVERIFY(kestromFail(fault));
        QStringList duringInit;
        m_sleeper.hook = [&](unsigned ms) {
            if (ms != kInitMs)
                return;
            GU_CommSmsWaitWnd* wait = GU_CommSmsWaitWnd::Current();
            duringInit << (wait && wait->isVisible() && wait->paintCount() > 0 ? wait->text() : QString("no window"));
        };
        Responder responder;
        Page page;
        runPage(page, [&] {
            typeInto(page.Edit(Page::kCodeEditId), "00C0FFEE");
            QTest::mouseClick(page.Button(Page::kSmsSaveId), Qt::LeftButton);
        });
        m_sleeper.hook = nullptr;
        QCOMPARE(responder.seen, seen);
        QCOMPARE(duringInit, waits && fault.isEmpty() ? QStringList{"Initializing SMS string. Please wait..."} : QStringList{});
        QVERIFY(!GU_CommSmsWaitWnd::Current());
        if (fault.isEmpty()) {
            QCOMPARE(powerValue(PowerValue::SmsStoreReady), 1);
            QCOMPARE(storedCode(), QString("00C0FFEE"));
        }
    }

    // The keyboard starts on the focus of the code and time fields, once while it runs.
    void keyboardOnFocus()
    {
        QVERIFY(powerSet("WakeOnRtc", "1"));
        QVERIFY(powerSet("WakeOnSms", "1"));
        TraceCapture capture;
        Page page;
        runPage(page, [&] {
            page.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&page));
            QVERIFY(m_launcher.started.isEmpty()); // not at opening
            for (int id : {Page::kHourEditId, Page::kMinuteEditId, Page::kSecondEditId, Page::kCodeEditId})
                page.Edit(id)->setFocus(Qt::MouseFocusReason);
            page.Edit(Page::kHourEditId)->setFocus(Qt::MouseFocusReason);
        });
        QCOMPARE(m_launcher.started, QStringList{"onboard"});
        QCOMPARE(pageLines(capture).filter("MyDoProcess").size(), 5);
    }

    // The close-children message closes the SMS-on alert the page has open.
    void cascadeClosesSmsOnAlert()
    {
        QVERIFY(powerSet("WakeOnSms", "0"));
        setSetting(L"COMMUNICATION", L"WWAN_POWER", L"0");
        Page page;
        bool closedByCascade = false;
        Responder responder([&](CPageDlg* alert) {
            QPointer<CPageDlg> guard(alert);
            SendMessage(&page, WM_CLOSE_CHILDREN);
            closedByCascade = guard && !guard->isVisible();
        });
        runPage(page, [&] {
            QTest::mouseClick(page.Button(Page::kSmsSwitchId), Qt::LeftButton);
            QVERIFY(page.SmsOnAlert());
            QVERIFY(!page.SmsOnAlert()->IsRunningModal());
        });
        QVERIFY(closedByCascade);
        QCOMPARE(responder.seen, (QStringList{"alert", kNotice}));
    }

    void homeClosesPage()
    {
        TraceCapture capture;
        Page page;
        QCOMPARE(runPage(page, [&] { QTest::mouseClick(page.Button(Page::kHomeId), Qt::LeftButton); }), IDCANCEL);
        QVERIFY(pageLines(capture).contains("GU_SysWakeupDlg:OnClicked_SyswakeupHome"));
    }

    void layout()
    {
        QVERIFY(powerSet("WakeOnRtc", "1"));
        QVERIFY(powerSet("WakeOnSms", "1"));
        Page page;
        runPage(page, [&] {
            const struct {
                int id;
                QPoint at;
            } places[] = {{Page::kHomeId, {40, 445}},         {Page::kRtcSwitchId, {337, 112}},
                          {Page::kRtcCaptionId, {337, 192}},  {Page::kHourEditId, {643, 220}},
                          {Page::kMinuteEditId, {719, 220}},  {Page::kSecondEditId, {794, 220}},
                          {Page::kRtcSaveId, {870, 185}},     {Page::kSmsSwitchId, {337, 332}},
                          {Page::kSmsCaptionId, {337, 411}},  {Page::kSmsTextCaptionId, {620, 415}},
                          {Page::kPrefixEditId, {630, 430}},
                          {Page::kSmsSaveId, {870, 400}}};
            for (const auto& place : places)
                QCOMPARE(page.GetDlgItem(place.id)->pos(), place.at);
            QCOMPARE(page.BackgroundName(), QString("IDB_SYSWAKEUP_BASE_L"));
            // The prefix shown whole, the code right after it, both clear of SMS Save.
            QLineEdit* prefix = page.Edit(Page::kPrefixEditId);
            QLineEdit* code = page.Edit(Page::kCodeEditId);
            QVERIFY(prefix->width() >= 122);
            QVERIFY(prefix->width() > prefix->fontMetrics().horizontalAdvance(prefix->text()));
            QCOMPARE(code->pos(), QPoint(std::max(742, prefix->geometry().right() + 1), 430));
            QVERIFY(code->geometry().right() < page.GetDlgItem(Page::kSmsSaveId)->x());
            QVERIFY(code->width() > code->fontMetrics().horizontalAdvance("DDDDDDDD"));
        });
    }
};

TARVIK_QTEST_MAIN(tst_GU_SysWakeupDlg)
#include "tst_GU_SysWakeupDlg.moc"
