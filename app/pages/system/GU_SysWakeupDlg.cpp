#include "GU_SysWakeupDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_AlertSMSOnDlg.h"
#include "GU_CommSmsWaitWnd.h"
#include "GU_CommWwanDlg.h"
#include "GU_MyMessageboxDlg.h"
#include "PrivateProfile.h"
#include "ShellOperations.h"
#include "SmsCode.h"
#include "Trace.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <QFontMetrics>

#include <algorithm>
#include <limits>
#include <string>

namespace {

constexpr int kOff = 0;
constexpr int kOn = 1;
constexpr int kNoSimFontHeight = 26;
constexpr int kEditFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
constexpr unsigned kMaxHour = 23;
constexpr unsigned kMaxMinute = 59;
constexpr unsigned kMaxSecond = 59;

constexpr wchar_t kCommSection[] = L"COMMUNICATION";
constexpr int kDefaultComPort = 2;
constexpr int kDefaultBaudRate = 115200;
constexpr int kDefaultWwanPower = 1;

constexpr int kTimeEditIds[3] = {GU_SysWakeupDlg::kHourEditId, GU_SysWakeupDlg::kMinuteEditId,
                                 GU_SysWakeupDlg::kSecondEditId};
constexpr QPoint kTimeEditPlaces[3] = {{643, 220}, {719, 220}, {794, 220}};
constexpr QSize kTimeEditSize = {25, 20};
constexpr int kPrefixX = 630;
constexpr int kPrefixWidth = 122;
constexpr int kCodeX = 742;
constexpr int kCodeWidth = 100;
constexpr int kSmsEditY = 430;
constexpr int kSmsEditHeight = 20;
// Room a frameless line edit keeps beside its text (cursor and its own margin).
constexpr int kEditSlack = 6;

// The switch states, process-wide.
int g_rtcState = kOff;
int g_smsState = kOff;

QLineEdit* makeEdit(QWidget* parent, const QRect& place, const QFont& font)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(place);
    edit->setFont(font);
    // 20 pixels high: no frame or margins to take room from the text.
    edit->setFrame(false);
    edit->setTextMargins(0, 0, 0, 0);
    // Focus by touch only: a field focused as the page opens would start the keyboard unasked.
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

} // namespace

GU_SysWakeupDlg::GU_SysWakeupDlg(QWidget* parent) : CPageDlg(L"GU_SysWakeupDlg", "IDB_SYSWAKEUP_BASE_L", parent)
{
    // No 32-bit program on a 64-bit system here: there is no file-system redirection to turn off.
    m_bWow64 = false;
}

GU_SysWakeupDlg::~GU_SysWakeupDlg() { ReleaseSmsOnAlert(); }

int GU_SysWakeupDlg::RtcState() { return g_rtcState; }
int GU_SysWakeupDlg::SmsState() { return g_smsState; }

QLineEdit* GU_SysWakeupDlg::Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(id)); }

void GU_SysWakeupDlg::ReleaseSmsOnAlert()
{
    std::unique_ptr<GU_AlertSMSOnDlg> alert = std::move(m_smsOnAlert);
    if (!alert)
        return;
    alert->DestroyWindow();
    if (alert->IsRunningModal())
        alert.release()->deleteLater();
}

void GU_SysWakeupDlg::DestroyWindow()
{
    ReleaseSmsOnAlert();
    CPageDlg::DestroyWindow();
}

std::optional<unsigned> GU_SysWakeupDlg::ParseTimeField(const QString& text)
{
    // What the field holds may have been pasted: leading blanks, a sign, anything after the digits.
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        any = true;
        value = value * 10 + static_cast<unsigned>(text[i].unicode() - '0');
        if (value > std::numeric_limits<unsigned>::max())
            return std::nullopt; // more than the number holds: out of range, not wrapped round
    }
    if (!any)
        return 0u;
    // A negative number taken as unsigned is beyond every limit.
    if (negative && value != 0)
        return std::nullopt;
    return static_cast<unsigned>(value);
}

bool GU_SysWakeupDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddHomeButton(kHomeId, 40, 445, "IDB_SYSWAKEUP_HOME_L", L"OnClicked_SyswakeupHome", IDCANCEL);
    AddButton(kRtcSwitchId, 337, 112, "IDB_SYSWAKEUP_RTC_OFF_L", "IDB_SYSWAKEUP_RTC_ON_L", [this] { OnClickedRtc(); });
    AddButton(kRtcCaptionId, 337, 192, "IDB_SYSWAKEUP_RTC_CONTENT_OFF_L", "IDB_SYSWAKEUP_RTC_CONTENT_ON_L");
    AddButton(kRtcSaveId, 870, 185, "IDB_SYSWAKEUP_RTC_ON_SAVE_L", "IDB_SYSWAKEUP_RTC_ON_SAVE_L", [this] { OnClickedRtcSave(); });
    AddButton(kSmsSwitchId, 337, 332, "IDB_SYSWAKEUP_SMS_OFF_L", "IDB_SYSWAKEUP_SMS_ON_L", [this] { OnClickedSms(); });
    AddButton(kSmsCaptionId, 337, 411, "IDB_SYSWAKEUP_SMS_CONTENT_OFF_L", "IDB_SYSWAKEUP_SMS_CONTENT_ON_L");
    AddButton(kSmsTextCaptionId, 620, 415, "IDB_SYSWAKEUP_SMS_TEXT_L", "IDB_SYSWAKEUP_SMS_TEXT_L");
    AddButton(kSmsSaveId, 870, 400, "IDB_SYSWAKEUP_SMS_TEXT_SAVE_L", "IDB_SYSWAKEUP_SMS_TEXT_SAVE_L",
              [this] { OnClickedSmsSave(); });
    for (int id : {kRtcCaptionId, kSmsCaptionId, kSmsTextCaptionId})
        EnableItem(id, false);

    const QFont editFont = MakeFont(kEditFontHeight, kBoldWeight);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (int i = 0; i < 3; ++i) {
        QLineEdit* edit = makeEdit(this, QRect(kTimeEditPlaces[i], kTimeEditSize), editFont);
        edit->setValidator(digits);
        edit->installEventFilter(this);
        RegisterItem(kTimeEditIds[i], edit);
    }
    // The prefix is shown whole: at this font it is wider than its 122 pixels, so the field takes
    // the width of its text and the code field starts right after it (still clear of SMS Save).
    const QString prefixText = QString::fromWCharArray(GU_CommWwanDlg::kWakeMessagePrefix);
    const int prefixWidth = std::max(kPrefixWidth, QFontMetrics(editFont).horizontalAdvance(prefixText) + kEditSlack);
    const int codeX = std::max(kCodeX, kPrefixX + prefixWidth);
    QLineEdit* prefix = makeEdit(this, QRect(kPrefixX, kSmsEditY, prefixWidth, kSmsEditHeight), editFont);
    prefix->setReadOnly(true);
    prefix->setText(prefixText);
    prefix->setCursorPosition(0);
    RegisterItem(kPrefixEditId, prefix);
    const int codeWidth = std::max(kCodeWidth, QFontMetrics(editFont).horizontalAdvance(QString(kSmsCodeChars, 'D')) + kEditSlack);
    QLineEdit* code = makeEdit(this, QRect(codeX, kSmsEditY, codeWidth, kSmsEditHeight), editFont);
    code->setMaxLength(static_cast<int>(kSmsCodeChars));
    // A capitals field: letters become capitals as they are typed.
    connect(code, &QLineEdit::textEdited, this, [code](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int cursor = code->cursorPosition();
        code->setText(upper);
        code->setCursorPosition(cursor);
    });
    code->installEventFilter(this);
    RegisterItem(kCodeEditId, code);
    AddStaticText({kNoSimTextId, kNoSimText, 340, 390, 600, 50}, MakeFont(kNoSimFontHeight, kNormalWeight));

    m_kestrom.vPM_GSMSerialPortSet(ReadSettingInt(kCommSection, L"COM_PORT", kDefaultComPort));
    m_kestrom.vPM_GSMBaudRateSet(ReadSettingInt(kCommSection, L"BAUD_RATE", kDefaultBaudRate));

    int rtc = 0;
    const int bRet = m_kestrom.vWU_WakeOnRTCStatus(&rtc);
    TraceMessage(L"GetWakeupRtcStatus :vWU_WakeOnRTCStatus: bRet = %d, bStatus = %d", bRet, rtc);
    g_rtcState = rtc != 0 ? kOn : kOff;
    ShowRtc();

    const int sim = m_telnira.vCM_WWANSIMCardIsInserted();
    TraceMessage(L"GetWakeupSmsStatus: vCM_WWANSIMCardIsInserted: bRet = %d", sim);
    m_bSimPresent = sim == 1;
    if (!m_bSimPresent) {
        for (int id : {kSmsSwitchId, kSmsCaptionId, kSmsTextCaptionId, kSmsSaveId, kCodeEditId, kPrefixEditId}) {
            ShowItem(id, false);
            EnableItem(id, false);
        }
        ShowItem(kNoSimTextId, true);
    } else {
        ShowItem(kNoSimTextId, false);
        EnableItem(kNoSimTextId, false);
        int sms = 0;
        const int smsRet = m_kestrom.vWU_WakeOnSMSStatus(&sms);
        TraceMessage(L"GetWakeupSmsStatus: vWU_WakeOnSMSStatus: bRet = %d, bWakeOnSmsStatus = %d", smsRet, sms);
        g_smsState = sms != 0 ? kOn : kOff;
        if (g_smsState) {
            SmsCodeBuffer buffer{};
            const int getRet = m_kestrom.vWU_WakeOnSMSStringGet(buffer.data());
            TraceMessage(L"GetWakeupSmsStatus: vWU_WakeOnSMSStringGet: bRet = %d, wakeonSMSStringbuf = %s", getRet,
                         SmsCodeFromBuffer(buffer, buffer.size()).c_str());
            code->setText(getRet == 1 ? QString::fromStdWString(SmsCodeFromBuffer(buffer, kSmsCodeChars)) : QString());
        }
        ShowSms();
    }
    SetChildTitles({L"SmsOn Alert"});
    SetTitle(L"SystemWakeup");
    return true;
}

bool GU_SysWakeupDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int id : {kCodeEditId, kHourEditId, kMinuteEditId, kSecondEditId}) {
            if (watched == GetDlgItem(id)) {
                // The launcher starts no second keyboard while one runs.
                const int count = MyDoProcess(this, m_bWow64);
                TraceMessage(L"OnSetfocus_SyswakeupEdit: MyDoProcess: iRet = %d action = 0", count);
                break;
            }
        }
    }
    return CPageDlg::eventFilter(watched, event);
}

void GU_SysWakeupDlg::ShowRtc()
{
    for (int id : {kRtcSwitchId, kRtcCaptionId}) {
        CMyBitmapButton* button = Button(id);
        button->setState(g_rtcState);
        button->RedrawNow();
    }
    const bool on = g_rtcState == kOn;
    for (int id : {kHourEditId, kMinuteEditId, kSecondEditId, kRtcSaveId}) {
        ShowItem(id, on);
        EnableItem(id, on);
    }
    if (on)
        ReadRtcTime();
}

void GU_SysWakeupDlg::ReadRtcTime()
{
    unsigned char hour = 0;
    unsigned char minute = 0;
    unsigned char second = 0;
    const int bRet = m_kestrom.vWU_WakeOnRTCTimerStatus(&hour, &minute, &second);
    if (!bRet)
        hour = minute = second = 0;
    TraceMessage(L"GetWakeupRtcSetting :vWU_WakeOnRTCTimerStatus: bRet = %d, hour=%d, minute=%d second=%d", bRet, hour,
                 minute, second);
    Edit(kHourEditId)->setText(QString::number(hour));
    Edit(kMinuteEditId)->setText(QString::number(minute));
    Edit(kSecondEditId)->setText(QString::number(second));
}

void GU_SysWakeupDlg::ShowSms()
{
    for (int id : {kSmsSwitchId, kSmsCaptionId}) {
        CMyBitmapButton* button = Button(id);
        button->setState(g_smsState);
        button->RedrawNow();
    }
    const bool on = g_smsState == kOn;
    ShowItem(kSmsTextCaptionId, on);
    EnableItem(kSmsTextCaptionId, false);
    for (int id : {kSmsSaveId, kCodeEditId, kPrefixEditId}) {
        ShowItem(id, on);
        EnableItem(id, on);
    }
}

void GU_SysWakeupDlg::OnClickedRtc()
{
    g_rtcState = g_rtcState ? kOff : kOn;
    TraceMessage(g_rtcState ? L"OnClicked_SyswakeupRtc: Wakeup RTC to ON" : L"OnClicked_SyswakeupRtc: Wakeup RTC to OFF");
    const int bRet = m_kestrom.vWU_WakeOnRTCSwitch(g_rtcState);
    TraceMessage(g_rtcState ? L"OnClicked_SyswakeupRtc :vWU_WakeOnRTCSwitch: bRet = %d, TRUE"
                            : L"OnClicked_SyswakeupRtc :vWU_WakeOnRTCSwitch: bRet = %d, FALSE",
                 bRet);
    if (!bRet) {
        ShowMessageBox(L"Wake On RTC Switch fail!");
        g_rtcState = g_rtcState ? kOff : kOn;
    }
    ShowRtc();
}

void GU_SysWakeupDlg::OnClickedRtcSave()
{
    const std::optional<unsigned> hour = ParseTimeField(Edit(kHourEditId)->text());
    const std::optional<unsigned> minute = ParseTimeField(Edit(kMinuteEditId)->text());
    const std::optional<unsigned> second = ParseTimeField(Edit(kSecondEditId)->text());
    if (!hour || !minute || !second || *hour > kMaxHour || *minute > kMaxMinute || *second > kMaxSecond) {
        ShowMessageBox(L"Input value is not correct!");
        return;
    }
    const int bRet = m_kestrom.vWU_WakeOnRTCTimer(static_cast<unsigned char>(*hour), static_cast<unsigned char>(*minute),
                                                  static_cast<unsigned char>(*second));
    TraceMessage(L"OnClicked_SyswakeupRtcSave: vWU_WakeOnRTCTimer to [%d][%d][%d]. bRet = %d", *hour, *minute, *second,
                 bRet);
    ShowMessageBox(bRet ? L"Set wakeup RTC timer success!" : L"Set wakeup RTC timer fail!");
}

void GU_SysWakeupDlg::OnClickedSms()
{
    g_smsState = g_smsState ? kOff : kOn;
    TraceMessage(g_smsState ? L"OnClicked_SyswakeupSms: Wakeup SMS to ON" : L"OnClicked_SyswakeupSms: Wakeup SMS to OFF");
    bool poweredOnHere = false;
    if (g_smsState && ReadSettingInt(kCommSection, L"WWAN_POWER", kDefaultWwanPower) == 0) {
        const int ret = m_telnira.vCM_WWANPowerOnOff(1);
        TraceMessage(L"OnClicked_SyswakeupSms: vCM_WWANPowerOnOff to TRUE: bRet = %d", ret);
        // Only a power that came on is recorded, and only then is the driver told it did.
        if (ret == 1) {
            WritePrivateProfileStringW(kCommSection, L"WWAN_POWER", L"1", SettingsFile());
            poweredOnHere = true;
        }
    }
    const int bRet = m_kestrom.vWU_WakeOnSMSSwitch(g_smsState);
    TraceMessage(L"OnClicked_SyswakeupSms: vWU_WakeOnSMSSwitch: bRet = %d, m_bWake_sms_Switch = %d", bRet, g_smsState);
    if (!bRet) {
        // The radio, if it was switched on above, stays on.
        ShowMessageBox(L"Wake On SMS Switch fail!");
        g_smsState = g_smsState ? kOff : kOn;
    }
    ShowSms();
    if (!g_smsState)
        return;
    if (poweredOnHere) {
        ReleaseSmsOnAlert();
        m_smsOnAlert = std::make_unique<GU_AlertSMSOnDlg>(this);
        m_smsOnAlert->DoModal();
    }
    ShowMessageBox(L"Notice!Wake on SMS enabled, please don't remove SIM card until you disable this function.");
}

void GU_SysWakeupDlg::OnClickedSmsSave()
{
    const std::wstring text = Edit(kCodeEditId)->text().toStdWString();
    if (!IsValidSmsCode(text)) {
        ShowMessageBox(L"Sms string must be '0-9' and 'A-F'.");
        return;
    }
    // The field holds at most eight characters; the library takes exactly those.
    const std::string code = SmsCodeToLibrary(text.substr(0, kSmsCodeChars));
    int initialised = 0;
    if (m_kestrom.vWU_WakeOnSMSStringCheck(&initialised) == 0) {
        ShowMessageBox(L"Failed to check SMS string.");
        return;
    }
    if (initialised == 0) {
        int ret = 0;
        {
            GU_CommSmsWaitWnd wait(QString::fromWCharArray(GU_CommWwanDlg::kWaitText), this);
            wait.ShowNow();
            ret = m_kestrom.vWU_WakeOnSMSStringInit();
        }
        if (ret == 0)
            ShowMessageBox(L"Fail to initialize SMS string.");
    }
    ShowMessageBox(m_kestrom.vWU_WakeOnSMSStringSet(code.c_str()) != 0 ? L"Success." : L"Fail to set SMS string.");
}
