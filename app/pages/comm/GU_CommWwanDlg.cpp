#include "GU_CommWwanDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_AlertSMSOnDlg.h"
#include "GU_CommSmsWaitWnd.h"
#include "GU_MyMessageboxDlg.h"
#include "PrivateProfile.h"
#include "ShellOperations.h"
#include "SmsCode.h"
#include "Trace.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

namespace {

constexpr int kFontHeight = 20;
constexpr int kNormalWeight = 400;
constexpr int kEditFontHeight = 14;
constexpr int kBoldWeight = 700;

constexpr int kDefaultComPort = 2;
constexpr int kDefaultBaudRate = 115200;
constexpr int kDefaultWwanPower = 1;
constexpr int kSimSlot1 = 1;
constexpr int kSimSlot2 = 2;

constexpr wchar_t kSection[] = L"COMMUNICATION";

constexpr int kEditX = 15;
constexpr int kEditY = 390;
constexpr int kEditHeight = 15;
constexpr int kPrefixWidth = 68;
constexpr int kCodeWidth = 80;
// Room a frameless line edit keeps beside its text (cursor and its own margin).
constexpr int kEditSlack = 6;

constexpr StaticTextDef kNoSimText = {GU_CommWwanDlg::kNoSimTextId, L"No SIM.No function.", 20, 285, 220, 40};

QLineEdit* makeEdit(QWidget* parent, const QRect& place, const QFont& font)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(place);
    edit->setFont(font);
    // The field is only 15 pixels high: no frame or margins to take room from the text.
    edit->setFrame(false);
    edit->setTextMargins(0, 0, 0, 0);
    return edit;
}

} // namespace

GU_CommWwanDlg::Choices& GU_CommWwanDlg::Selection()
{
    static Choices choices;
    return choices;
}

GU_CommWwanDlg::GU_CommWwanDlg(QWidget* parent) : CPageDlg(L"GU_CommWwanDlg", "IDB_COMM_WWAN_SETTINGBASE_L", parent)
{
    // No 32-bit program on a 64-bit system here: there is no file-system redirection to turn off.
    m_bWow64 = false;
}

GU_CommWwanDlg::~GU_CommWwanDlg() { ReleaseSmsOnAlert(); }

void GU_CommWwanDlg::ReleaseSmsOnAlert()
{
    if (m_smsOnAlert) {
        m_smsOnAlert->DestroyWindow();
        m_smsOnAlert.reset();
    }
}

void GU_CommWwanDlg::DestroyWindow()
{
    ReleaseSmsOnAlert();
    CPageDlg::DestroyWindow();
}

bool GU_CommWwanDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont normal = MakeFont(kFontHeight, kNormalWeight);
    const QFont bold = MakeFont(kEditFontHeight, kBoldWeight);

    AddButton(kRfSwitchId, 5, 35, "IDB_COMM_MODULE_DISABLE_L", "IDB_COMM_MODULE_ENABLE_L", [this] { OnClicked_RfSwitch(); });
    CMyBitmapButton* slot = AddButton(kSimSlotId, 5, 145, "IDB_COMM_SLOT1_L", "IDB_COMM_SLOT2_L",
                                      [this] { OnClicked_CommSimSlot(); });
    slot->LoadBitmaps("IDB_COMM_SLOT1_L", "IDB_COMM_SLOT2_L", "IDB_COMM_SLOT1_GRAY_L");
    AddButton(kWakeOnSmsId, 5, 255, "IDB_COMM_MODULE_DISABLE_L", "IDB_COMM_MODULE_ENABLE_L",
              [this] { OnClicked_CommWakeonSms(); });
    AddButton(kRfSwitchOkId, 258, 20, "IDB_COMM_SETTING_OK_L", nullptr, [this] { OnClicked_RfSwitchOk(); });
    AddButton(kSimSlotOkId, 258, 125, "IDB_COMM_SETTING_OK_L", nullptr, [this] { OnClicked_SimSlotOk(); });
    AddButton(kWakeOnSmsOkId, 258, 235, "IDB_COMM_SETTING_OK_L", nullptr, [this] { OnClicked_WakeOnSmsOk(); });
    AddButton(kWakeStringOkId, 258, 345, "IDB_COMM_SETTING_OK_L", nullptr, [this] { OnClicked_WakeStringOk(); });
    AddStaticText(kNoSimText, normal);

    // The prefix is shown whole: at this font it is wider than its 68 pixels, so the field takes
    // the width of its text and the code field follows right after it, as in the template.
    const QString prefix = QString::fromWCharArray(kWakeMessagePrefix);
    const QFontMetrics metrics(bold);
    const int prefixWidth = std::max(kPrefixWidth, metrics.horizontalAdvance(prefix) + kEditSlack);
    const int codeWidth = std::max(kCodeWidth, metrics.horizontalAdvance(QString(kSmsCodeChars, 'D')) + kEditSlack);
    m_prefixEdit = makeEdit(this, QRect(kEditX, kEditY, prefixWidth, kEditHeight), bold);
    m_prefixEdit->setReadOnly(true);
    m_prefixEdit->setText(prefix);
    m_prefixEdit->setCursorPosition(0);
    RegisterItem(kPrefixEditId, m_prefixEdit);

    m_codeEdit = makeEdit(this, QRect(kEditX + prefixWidth, kEditY, codeWidth, kEditHeight), bold);
    m_codeEdit->setMaxLength(static_cast<int>(kSmsCodeChars));
    // A capitals field: letters become capitals as they are typed.
    connect(m_codeEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int cursor = m_codeEdit->cursorPosition();
        m_codeEdit->setText(upper);
        m_codeEdit->setCursorPosition(cursor);
    });
    m_codeEdit->installEventFilter(this);
    RegisterItem(kCodeEditId, m_codeEdit);

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", L"GX58");
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    m_hardType = HardTypeFromName(hardType);
    if (isRq63()) {
        slot->setState(kSlotGreyState);
        EnableItem(kSimSlotId, false);
        ShowItem(kSimSlotOkId, false);
        EnableItem(kSimSlotOkId, false);
    }

    m_kestrom.vPM_GSMSerialPortSet(ReadSettingInt(kSection, L"COM_PORT", kDefaultComPort));
    m_kestrom.vPM_GSMBaudRateSet(ReadSettingInt(kSection, L"BAUD_RATE", kDefaultBaudRate));

    const int ret = m_telnira.vCM_WWANSIMCardIsInserted();
    TraceMessage(L"OnInitDialog: vCM_WWANSIMCardIsInserted: bRet = %d", ret);
    m_bSimPresent = ret == 1;

    SetChildTitles({L"SmsOn Alert"});
    GetAllCommWWanStatus();
    SetTitle(L"WWAN Setting");
    return true;
}

bool GU_CommWwanDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_codeEdit && event->type() == QEvent::FocusIn)
        OnSetfocus_CodeEdit();
    return CPageDlg::eventFilter(watched, event);
}

void GU_CommWwanDlg::OnSetfocus_CodeEdit()
{
    const int count = MyDoProcess(this, m_bWow64);
    TraceMessage(L"OnSetfocus_SyswakeupSmsTextEdit: MyDoProcess: iRet = %d action = 0", count);
}

void GU_CommWwanDlg::ShowChoice(int id, bool on)
{
    if (CMyBitmapButton* button = Button(id)) {
        button->setState(on ? 1 : 0);
        button->RedrawNow();
    }
}

void GU_CommWwanDlg::GetAllCommWWanStatus()
{
    Choices& choices = Selection();
    int enabled = 0;
    int ret = m_telnira.vCM_WWANModuleStatus(&enabled);
    TraceMessage(L"GetAllCommWWanStatus: vCM_WWANModuleStatus: bRet = %d, bValue = %d", ret, enabled);
    choices.rf = enabled == 1;

    if (!isRq63()) {
        int slot = 0;
        ret = m_telnira.vCM_WWANSIMSlotStatus(&slot);
        TraceMessage(L"GetAllCommBTStatus: vCM_WWANSIMSlotStatus: bRet = %d, iValue = %d", ret, slot);
        choices.simSlot2 = slot != 1;
    }

    if (m_bSimPresent) {
        int wakeOnSms = 0;
        ret = m_kestrom.vWU_WakeOnSMSStatus(&wakeOnSms);
        TraceMessage(L"GetAllCommWWanStatus: vWU_WakeOnSMSStatus: bRet = %d, bWakeOnSmsStatus = %d", ret, wakeOnSms);
        choices.wakeOnSms = wakeOnSms != 0;
    }

    SmsCodeBuffer buffer{};
    ret = m_kestrom.vWU_WakeOnSMSStringGet(buffer.data());
    TraceMessage(L"GetAllCommWWanStatus: vWU_WakeOnSMSStringGet: bRet = %d, wakeonSMSStringbuf = %s", ret,
                 SmsCodeFromBuffer(buffer, buffer.size()).c_str());
    m_codeEdit->setText(ret == 1 ? QString::fromStdWString(SmsCodeFromBuffer(buffer, kSmsCodeChars)) : QString());

    ShowChoice(kRfSwitchId, choices.rf);
    if (isRq63()) {
        if (CMyBitmapButton* slot = Button(kSimSlotId)) {
            slot->setState(kSlotGreyState);
            slot->RedrawNow();
        }
        EnableItem(kSimSlotId, false);
    } else {
        ShowChoice(kSimSlotId, choices.simSlot2);
    }
    ShowChoice(kWakeOnSmsId, choices.wakeOnSms);

    for (int id : {kWakeOnSmsId, kWakeOnSmsOkId}) {
        ShowItem(id, m_bSimPresent);
        EnableItem(id, m_bSimPresent);
    }
    ShowItem(kNoSimTextId, !m_bSimPresent);
    EnableItem(kNoSimTextId, !m_bSimPresent);
}

void GU_CommWwanDlg::RefreshParent()
{
    if (m_parentPage)
        SendMessage(m_parentPage, WM_COMM_REFRESH);
}

void GU_CommWwanDlg::OnClicked_RfSwitch()
{
    Choices& choices = Selection();
    choices.rf = !choices.rf;
    TraceDebug(choices.rf ? L"OnClicked_RfSwitch: RF to Enable" : L"OnClicked_RfSwitch: RF to Disable");
    ShowChoice(kRfSwitchId, choices.rf);
}

void GU_CommWwanDlg::OnClicked_CommSimSlot()
{
    Choices& choices = Selection();
    choices.simSlot2 = !choices.simSlot2;
    TraceDebug(choices.simSlot2 ? L"OnClicked_CommSimSlot: SIM Slot to Slot2" : L"OnClicked_CommSimSlot: SIM Slot to Slot1");
    ShowChoice(kSimSlotId, choices.simSlot2);
}

void GU_CommWwanDlg::OnClicked_CommWakeonSms()
{
    Choices& choices = Selection();
    choices.wakeOnSms = !choices.wakeOnSms;
    TraceDebug(choices.wakeOnSms ? L"OnClicked_CommWakeonSms: Wake On SMS to Enable"
                                 : L"OnClicked_CommWakeonSms: Wake On SMS to Disable");
    ShowChoice(kWakeOnSmsId, choices.wakeOnSms);
}

void GU_CommWwanDlg::OnClicked_RfSwitchOk()
{
    const int rf = Selection().rf ? 1 : 0;
    TraceDebug(rf ? L"OnClicked_RfSwitchOk: WWAN Module to ON" : L"OnClicked_RfSwitchOk: WWAN Module to OFF");
    const int ret = m_telnira.vCM_WWANModuleSwitch(rf);
    TraceMessage(L"OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = %d, m_bRF_Switch = %d", ret, rf);
    if (ret) {
        const std::wstring value = std::to_wstring(rf);
        WritePrivateProfileStringW(kSection, L"WWAN_MODULE", value.c_str(), SettingsFile());
        RefreshParent();
    } else {
        ShowMessageBox(L"Set WWAN module fail!");
    }
    EndDialog(IDCANCEL);
}

void GU_CommWwanDlg::OnClicked_SimSlotOk()
{
    const bool slot2 = Selection().simSlot2;
    TraceDebug(slot2 ? L"OnClicked_SimSlotOk: sim slot to 2" : L"OnClicked_SimSlotOk: sim slot to 1");
    const int ret = m_telnira.vCM_WWANSIMSlotSwitch(slot2 ? kSimSlot2 : kSimSlot1);
    TraceMessage(L"OnClicked_SimSlotOk: vCM_WWANSIMSlotSwitch: bRet = %d, m_bSimSlot = %d", ret, slot2 ? 1 : 0);
    if (ret) {
        const std::wstring value = std::to_wstring(slot2 ? 1 : 0);
        WritePrivateProfileStringW(kSection, L"SIM_SLOT", value.c_str(), SettingsFile());
        RefreshParent();
    } else {
        ShowMessageBox(L"Set sim slot fail!");
    }
    EndDialog(IDCANCEL);
}

void GU_CommWwanDlg::OnClicked_WakeOnSmsOk()
{
    const int enable = Selection().wakeOnSms ? 1 : 0;
    TraceDebug(enable ? L"OnClicked_WakeOnSmsOk: WakeOnSms to ON" : L"OnClicked_WakeOnSmsOk: WakeOnSms to OFF");

    bool poweredOnHere = false;
    if (enable && ReadSettingInt(kSection, L"WWAN_POWER", kDefaultWwanPower) == 0) {
        const int ret = m_telnira.vCM_WWANPowerOnOff(1);
        TraceMessage(L"OnClicked_SyswakeupSms: vCM_WWANPowerOnOff to TRUE: bRet = %d", ret);
        // Only a power that came on is recorded, and only then is the driver told it did.
        if (ret == 1) {
            WritePrivateProfileStringW(kSection, L"WWAN_POWER", L"1", SettingsFile());
            poweredOnHere = true;
        }
    }

    const int ret = m_kestrom.vWU_WakeOnSMSSwitch(enable);
    TraceMessage(L"OnClicked_WakeOnSmsOk: vWU_WakeOnSMSSwitch: bRet = %d, m_bWakeOnSms_Switch = %d", ret, enable);
    RefreshParent();

    if (poweredOnHere) {
        ReleaseSmsOnAlert();
        m_smsOnAlert = std::make_unique<GU_AlertSMSOnDlg>(this);
        m_smsOnAlert->DoModal();
    }
    // A refused switch is said so; the notice would report it as done.
    if (ret == 0)
        ShowMessageBox(L"Set wake on SMS fail!");
    else if (enable)
        ShowMessageBox(L"Notice!Wake on SMS enabled, please don't remove SIM card until you disable this function.");
    EndDialog(IDCANCEL);
}

void GU_CommWwanDlg::OnClicked_WakeStringOk()
{
    const std::wstring text = m_codeEdit->text().toStdWString();
    if (!IsValidSmsCode(text)) {
        ShowMessageBox(L"Sms string must be '0-9' and 'A-F'.");
        return;
    }
    // The field holds at most eight characters; the library takes exactly those.
    const std::string code = SmsCodeToLibrary(text.substr(0, kSmsCodeChars));

    int initialised = 0;
    if (m_kestrom.vWU_WakeOnSMSStringCheck(&initialised) == 0) {
        ShowMessageBox(L"Fail to check SMS string.");
        return;
    }
    if (initialised == 0) {
        int ret = 0;
        {
            GU_CommSmsWaitWnd wait(QString::fromWCharArray(kWaitText), this);
            wait.ShowNow();
            ret = m_kestrom.vWU_WakeOnSMSStringInit();
        }
        if (ret == 0)
            ShowMessageBox(L"Fail to initialize SMS string.");
    }
    if (m_kestrom.vWU_WakeOnSMSStringSet(code.c_str()) != 0)
        ShowMessageBox(L"Success.");
    else
        ShowMessageBox(L"Failed to set SMS string.");
    RefreshParent();
    EndDialog(IDCANCEL);
}
