#include "GU_CommDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_Alert_WwanPowerOff.h"
#include "GU_CommWwanDlg.h"
#include "GU_MyMessageboxDlg.h"
#include "PrivateProfile.h"
#include "SmsCode.h"
#include "Trace.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kFontHeight = 20;
constexpr int kNormalWeight = 400;

constexpr int kDefaultComPort = 2;
constexpr int kDefaultBaudRate = 115200;
constexpr int kDefaultWlanPowerDelayMs = 8000;

constexpr wchar_t kSection[] = L"COMMUNICATION";

constexpr int kLabelX = 480;
constexpr int kValueX = 680;
constexpr int kTextWidth = 170;
constexpr int kTextHeight = 40;

constexpr StaticTextDef kLabels[] = {
    {GU_CommDlg::kWwanModuleLabelId, L"WWAN Module :", kLabelX, 110, kTextWidth, kTextHeight},
    {GU_CommDlg::kSimSlotLabelId, L"SIM Slot Assignment :", kLabelX, 135, kTextWidth, kTextHeight},
    {GU_CommDlg::kWakeOnSmsLabelId, L"Wake on SMS :", kLabelX, 160, kTextWidth, kTextHeight},
    {GU_CommDlg::kSmsStringLabelId, L"Wake on SMS string :", kLabelX, 185, kTextWidth, kTextHeight},
    // Never shown: the module states are on their switches.
    {GU_CommDlg::kWlanSituationLabelId, L"WLAN Module Situation :", kLabelX, 210, kTextWidth, kTextHeight},
    {GU_CommDlg::kBtModuleLabelId, L"Bluetooth Module :", kLabelX, 235, kTextWidth, kTextHeight},
};
constexpr StaticTextDef kValues[] = {
    {GU_CommDlg::kWwanModuleValueId, L"", kValueX, 110, kTextWidth, kTextHeight},
    {GU_CommDlg::kSimSlotValueId, L"", kValueX, 135, kTextWidth, kTextHeight},
    {GU_CommDlg::kWakeOnSmsValueId, L"", kValueX, 160, kTextWidth, kTextHeight},
    {GU_CommDlg::kSmsStringValueId, L"", kValueX, 185, kTextWidth, kTextHeight},
    {GU_CommDlg::kWlanSituationValueId, L"", kValueX, 210, kTextWidth, kTextHeight},
    {GU_CommDlg::kBtModuleValueId, L"", kValueX, 235, kTextWidth, kTextHeight},
};

constexpr int kWwanValues[] = {GU_CommDlg::kWwanModuleValueId, GU_CommDlg::kSimSlotValueId,
                               GU_CommDlg::kWakeOnSmsValueId, GU_CommDlg::kSmsStringValueId};
constexpr int kWwanLabels[] = {GU_CommDlg::kWwanModuleLabelId, GU_CommDlg::kSimSlotLabelId,
                               GU_CommDlg::kWakeOnSmsLabelId, GU_CommDlg::kSmsStringLabelId};

void writeSetting(const wchar_t* key, int value)
{
    const std::wstring text = std::to_wstring(value);
    WritePrivateProfileStringW(kSection, key, text.c_str(), SettingsFile());
}

// Eats the user's input to every window of the program while it is installed.
class InputBlocker final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

GU_CommDlg::SwitchStates& GU_CommDlg::Switches()
{
    static SwitchStates states;
    return states;
}

GU_CommDlg::GU_CommDlg(QWidget* parent) : CPageDlg(L"GU_CommDlg", "IDB_COMMBASE_L", parent) {}

GU_CommDlg::~GU_CommDlg() { ReleaseChildren(); }

void GU_CommDlg::ReleaseChildren()
{
    if (m_wwanDlg) {
        m_wwanDlg->DestroyWindow();
        m_wwanDlg.reset();
    }
    if (m_powerOffAlert) {
        m_powerOffAlert->DestroyWindow();
        m_powerOffAlert.reset();
    }
}

void GU_CommDlg::DestroyWindow()
{
    ReleaseChildren();
    CPageDlg::DestroyWindow();
}

bool GU_CommDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    const QFont normal = MakeFont(kFontHeight, kNormalWeight);

    AddHomeButton(kHomeId, 40, 445, "IDB_COMM_HOME_L", L"OnClicked_DevinfoHome", IDCANCEL, &TraceDebug);
    AddButton(kWwanSwitchId, 294, 100, "IDB_COMM_WWAN_OFF_L", "IDB_COMM_WWAN_ON_L", [this] { OnClicked_CommWwanSwitch(); });
    // The two icons carry no action.
    AddButton(kWlanIconId, 294, 240, "IDB_COMM_WLAN_L");
    AddButton(kBtIconId, 294, 380, "IDB_COMM_BT_L");
    AddButton(kWwanSettingId, 850, 100, "IDB_COMM_WWAN_SETTING_L", nullptr, [this] { OnClicked_CommWwanSetting(); });
    AddButton(kAntennaSwitchId, 850, 240, "IDB_COMM_WLAN_ANT_INT_L", "IDB_COMM_WLAN_ANT_EXT_L",
              [this] { OnClicked_CommAntSwitch(); });
    AddButton(kWlanModuleSwitchId, 480, 240, "IDB_COMM_WLAN_MODULE_OFF_L", "IDB_COMM_WLAN_MODULE_ON_L",
              [this] { OnClicked_CommWlanModuleSwitch(); });
    AddButton(kBtModuleSwitchId, 480, 380, "IDB_COMM_BT_MODULE_OFF_L", "IDB_COMM_BT_MODULE_ON_L",
              [this] { OnClicked_CommBtModuleSwitch(); });
    AddButton(kWlanBtSwitchId, 463, 288, "IDB_COMM_WLANBT_MODULE_OFF_L", "IDB_COMM_WLANBT_MODULE_ON_L",
              [this] { OnClickedCommWlanbtModuleSwitch(); });
    AddStaticTexts({kLabels[0], kLabels[1], kLabels[2], kLabels[3], kLabels[4], kLabels[5]}, normal);
    AddStaticTexts({kValues[0], kValues[1], kValues[2], kValues[3], kValues[4], kValues[5]}, normal);
    for (int id : {kWlanSituationLabelId, kWlanSituationValueId, kBtModuleLabelId, kBtModuleValueId})
        ShowItem(id, false);

    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", L"GX58");
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    m_hardType = HardTypeFromName(hardType);

    const bool rq63 = isRq63();
    ShowItem(kWlanBtSwitchId, !rq63);
    EnableItem(kWlanBtSwitchId, !rq63);
    for (int id : {kWlanModuleSwitchId, kBtModuleSwitchId, kAntennaSwitchId}) {
        ShowItem(id, rq63);
        EnableItem(id, rq63);
    }

    m_kestrom.vPM_GSMSerialPortSet(ReadSettingInt(kSection, L"COM_PORT", kDefaultComPort));
    m_kestrom.vPM_GSMBaudRateSet(ReadSettingInt(kSection, L"BAUD_RATE", kDefaultBaudRate));

    // A child page or alert still open when the home screen closes this page goes first.
    SetChildTitles({L"WWAN Setting", L"Wwan Poweroff Alert"});
    GetAllCommStatus();
    SetTitle(L"CommunicationStatus");
    return true;
}

LRESULT GU_CommDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMM_REFRESH) {
        GetAllCommStatus();
        return 0;
    }
    return CPageDlg::WindowProc(message, wParam, lParam);
}

void GU_CommDlg::ShowButtonState(int id, bool on)
{
    if (CMyBitmapButton* button = Button(id)) {
        button->setState(on ? 1 : 0);
        button->RedrawNow();
    }
}

void GU_CommDlg::ShowWwanValues(bool show)
{
    ShowItem(kWwanModuleValueId, show);
    ShowItem(kWakeOnSmsValueId, show);
    ShowItem(kSmsStringValueId, show);
    // The RQ63 has one SIM slot.
    ShowItem(kSimSlotValueId, show && !isRq63());
}

void GU_CommDlg::GetAllCommStatus()
{
    SwitchStates& states = Switches();
    int wwanFitted = 0;
    int ret = m_telnira.vCM_WWANModuleHWStatus(&wwanFitted);
    TraceMessage(L"GetAllCommStatus: vCM_WWANModuleHWStatus: bRet = %d, bValue = %d", ret, wwanFitted);
    int wlanFitted = 0;
    ret = m_telnira.vCM_WLANModuleHWStatus(&wlanFitted);
    TraceMessage(L"GetAllCommStatus: vCM_WLANModuleHWStatus: bRet = %d, bValue = %d", ret, wlanFitted);

    ret = m_telnira.vCM_WWANSIMCardIsInserted();
    TraceMessage(L"GetAllCommStatus: vCM_WWANSIMCardIsInserted: bRet = %d", ret);
    m_bSimPresent = ret == 1;

    if (wwanFitted == 1) {
        int power = 0;
        ret = m_telnira.vCM_WWANPowerStatus(&power);
        TraceMessage(L"GetAllCommStatus: vCM_WWANPowerStatus: bRet = %d, bValue = %d", ret, power);
        states.wwanPower = power == 1;
        ShowItem(kWwanSettingId, states.wwanPower);
        EnableItem(kWwanSettingId, states.wwanPower);
        ShowButtonState(kWwanSwitchId, states.wwanPower);
        GetWwanDetailStatus();
    } else {
        for (int id : {kWwanSwitchId, kWwanSettingId}) {
            ShowItem(id, false);
            EnableItem(id, false);
        }
        for (int id : kWwanValues)
            ShowItem(id, false);
        for (int id : kWwanLabels)
            ShowItem(id, false);
    }

    if (wlanFitted == 1) {
        if (!isRq63()) {
            int module = 0;
            ret = m_telnira.vCM_WLANModuleStatus(&module);
            TraceMessage(L"GetWlanBtDetailStatus: vCM_WLANModuleStatus: bRet = %d bValue = %d", ret, module);
            states.wlanBtModule = module == 1;
            ShowButtonState(kWlanBtSwitchId, states.wlanBtModule);
        } else {
            int module = 0;
            ret = m_telnira.vCM_WLANModuleStatus(&module);
            TraceMessage(L"GetWlanDetailStatus: vCM_WLANModuleStatus: bRet = %d bValue = %d", ret, module);
            states.wlanModule = module == 1;
            ShowButtonState(kWlanModuleSwitchId, states.wlanModule);
            int antenna = 0;
            ret = m_telnira.vCM_WLANAntennaStatus(&antenna);
            TraceMessage(L"GetWlanDetailStatus: vCM_WLANAntennaStatus: bRet = %d iAntStatus = %d", ret, antenna);
            states.antennaExternal = antenna == 1;
            ShowButtonState(kAntennaSwitchId, states.antennaExternal);
            int bt = 0;
            ret = m_telnira.vCM_BluetoothModuleStatus(&bt);
            TraceMessage(L"GetBTDetailStatus: vCM_BluetoothModuleStatus: bRet = %d bValue = %d", ret, bt);
            states.btModule = bt == 1;
            ShowButtonState(kBtModuleSwitchId, states.btModule);
        }
    } else {
        for (int id : {kWlanIconId, kBtIconId, kWlanModuleSwitchId, kBtModuleSwitchId, kWlanBtSwitchId,
                       kAntennaSwitchId}) {
            ShowItem(id, false);
            EnableItem(id, false);
        }
    }
}

void GU_CommDlg::GetWwanDetailStatus()
{
    int enabled = 0;
    int ret = m_telnira.vCM_WWANModuleStatus(&enabled);
    TraceMessage(L"GetWwanDetailStatus: vCM_WWANModuleStatus: bRet = %d, bValue = %d", ret, enabled);
    SetItemText(kWwanModuleValueId, enabled == 1 ? QStringLiteral("Enable") : QStringLiteral("Disable"));

    int slot = 0;
    ret = m_telnira.vCM_WWANSIMSlotStatus(&slot);
    TraceMessage(L"GetWwanDetailStatus: vCM_WWANSIMSlotStatus: bRet = %d, iValue = %d", ret, slot);
    SetItemText(kSimSlotValueId, slot == 1 ? QStringLiteral("Slot1") : QStringLiteral("Slot2"));

    if (m_bSimPresent) {
        int wakeOnSms = 0;
        ret = m_kestrom.vWU_WakeOnSMSStatus(&wakeOnSms);
        TraceMessage(L"GetWwanDetailStatus: vWU_WakeOnSMSStatus: bRet = %d, bWakeOnSmsStatus = %d", ret, wakeOnSms);
        SetItemText(kWakeOnSmsValueId, wakeOnSms != 0 ? QStringLiteral("Enable") : QStringLiteral("Disable"));
    } else {
        SetItemText(kWakeOnSmsValueId, QStringLiteral("No SIM.No function."));
    }

    SmsCodeBuffer buffer{};
    ret = m_kestrom.vWU_WakeOnSMSStringGet(buffer.data());
    const std::wstring stored = SmsCodeFromBuffer(buffer, buffer.size());
    TraceMessage(L"GetWwanDetailStatus: vWU_WakeOnSMSStringGet: bRet = %d, wakeonSMSStringbuf = %s", ret,
                 stored.c_str());
    SetItemText(kSmsStringValueId, ret == 1 ? QString::fromStdWString(SmsCodeFromBuffer(buffer, kSmsCodeChars))
                                            : QStringLiteral("--------"));

    ShowWwanValues(Switches().wwanPower);
    for (int id : kWwanValues) {
        if (QWidget* value = GetDlgItem(id))
            value->repaint();
    }
}

void GU_CommDlg::OnClicked_CommWwanSwitch()
{
    SwitchStates& states = Switches();
    states.wwanPower = !states.wwanPower;
    TraceDebug(states.wwanPower ? L"OnClicked_CommWwanSwitch: WWAN to ON" : L"OnClicked_CommWwanSwitch: WWAN to OFF");

    const int ret = m_telnira.vCM_WWANPowerOnOff(states.wwanPower ? 1 : 0);
    const int error = m_telnira.getLastErrorNumber();
    TraceMessage(L"OnClicked_CommWwanSwitch: vCM_WWANPowerOnOff: bRet = %d, m_bWWAN_Switch = %d errir=0x%X", ret,
                 states.wwanPower ? 1 : 0, static_cast<unsigned>(error));

    bool wakeOnSmsTurnedOff = false;
    if (ret == 0) {
        ShowMessageBox(L"Set wwan power fail!");
        states.wwanPower = !states.wwanPower;
    } else if (!states.wwanPower && m_bSimPresent) {
        int wakeOnSms = 0;
        const int statusRet = m_kestrom.vWU_WakeOnSMSStatus(&wakeOnSms);
        TraceMessage(L"OnClicked_CommWwanSwitch: vWU_WakeOnSMSStatus: bRet = %d, bWakeOnSmsStatus = %d", statusRet,
                     wakeOnSms);
        if (wakeOnSms != 0) {
            const int switchRet = m_kestrom.vWU_WakeOnSMSSwitch(0);
            TraceMessage(L"OnClicked_CommWwanSwitch: vWU_WakeOnSMSSwitch to FALSE: bRet = %d", switchRet);
            // The alert tells the driver wake on SMS is off now: not when the switch was refused.
            wakeOnSmsTurnedOff = switchRet == 1;
        }
    }

    ShowItem(kWwanSettingId, states.wwanPower);
    EnableItem(kWwanSettingId, states.wwanPower);
    ShowButtonState(kWwanSwitchId, states.wwanPower);
    writeSetting(L"WWAN_POWER", states.wwanPower ? 1 : 0);
    ShowWwanValues(states.wwanPower);

    if (!states.wwanPower && wakeOnSmsTurnedOff) {
        if (m_powerOffAlert) {
            m_powerOffAlert->DestroyWindow();
            m_powerOffAlert.reset();
        }
        m_powerOffAlert = std::make_unique<GU_Alert_WwanPowerOff>(this);
        m_powerOffAlert->DoModal();
    }
}

void GU_CommDlg::OnClicked_CommWwanSetting()
{
    if (m_wwanDlg) {
        m_wwanDlg->DestroyWindow();
        m_wwanDlg.reset();
    }
    if (CMyBitmapButton* button = Button(kWwanSettingId))
        button->RedrawNow();
    m_wwanDlg = std::make_unique<GU_CommWwanDlg>(this);
    m_wwanDlg->SetParentPage(this);
    m_wwanDlg->DoModal();
}

// The radios share one power: it stays on while either module is on. The power settings follow
// only a power call that succeeded.
void GU_CommDlg::SetSharedRadioPower(int (CTelnira::*powerOnOff)(int), const wchar_t* onTrace,
                                     const wchar_t* offTrace)
{
    const SwitchStates& states = Switches();
    const int power = (states.wlanModule || states.btModule) ? 1 : 0;
    const int powerRet = (m_telnira.*powerOnOff)(power);
    TraceMessage(power ? onTrace : offTrace, powerRet);
    if (powerRet == 1) {
        writeSetting(L"WLAN_POWER", power);
        writeSetting(L"BT_POWER", power);
    }
}

void GU_CommDlg::OnClicked_CommWlanModuleSwitch()
{
    SwitchStates& states = Switches();
    states.wlanModule = !states.wlanModule;
    TraceDebug(states.wlanModule ? L"OnClicked_CommWlanModuleSwitch: WLAN Module to ON"
                                 : L"OnClicked_CommWlanModuleSwitch: WLAN Module to OFF");
    const int ret = m_telnira.vCM_WLANModuleSwitch(states.wlanModule ? 1 : 0);
    TraceMessage(L"OnClicked_CommWlanModuleSwitch: vCM_WLANModuleSwitch: bRet = %d, m_bWlanModule_Switch = %d", ret,
                 states.wlanModule ? 1 : 0);
    if (ret == 0) {
        ShowMessageBox(L"Set wlan module fail!");
        states.wlanModule = !states.wlanModule;
    } else {
        SetSharedRadioPower(&CTelnira::vCM_WLANPowerOnOff,
                            L"OnClicked_CommWlanModuleSwitch: vCM_WLANPowerOnOff: bRet = %d, to ON",
                            L"OnClicked_CommWlanModuleSwitch: vCM_WLANPowerOnOff: bRet = %d, to OFF");
    }
    ShowButtonState(kWlanModuleSwitchId, states.wlanModule);
    writeSetting(L"WLAN_MODULE", states.wlanModule ? 1 : 0);
}

void GU_CommDlg::OnClicked_CommBtModuleSwitch()
{
    SwitchStates& states = Switches();
    states.btModule = !states.btModule;
    TraceDebug(states.btModule ? L"OnClicked_CommBtModuleSwitch: BT Module to ON"
                               : L"OnClicked_CommBtModuleSwitch: BT Module to OFF");
    const int ret = m_telnira.vCM_BluetoothModuleSwitch(states.btModule ? 1 : 0);
    TraceMessage(L"OnClicked_CommBtModuleSwitch: vCM_BluetoothModuleSwitch: bRet = %d, m_bBT_MODULE = %d", ret,
                 states.btModule ? 1 : 0);
    if (ret == 0) {
        ShowMessageBox(L"Set bt module fail!");
        states.btModule = !states.btModule;
    } else {
        SetSharedRadioPower(&CTelnira::vCM_BluetoothPowerOnOff,
                            L"OnClicked_CommWlanModuleSwitch: vCM_BluetoothPowerOnOff: bRet = %d, to ON",
                            L"OnClicked_CommWlanModuleSwitch: vCM_BluetoothPowerOnOff: bRet = %d, to OFF");
    }
    ShowButtonState(kBtModuleSwitchId, states.btModule);
    writeSetting(L"BT_MODULE", states.btModule ? 1 : 0);
}

void GU_CommDlg::OnClicked_CommAntSwitch()
{
    SwitchStates& states = Switches();
    states.antennaExternal = !states.antennaExternal;
    TraceDebug(states.antennaExternal ? L"OnClicked_CommAntSwitch: ANT to EXTERNAL" : L"OnClicked_CommAntSwitch: ANT to INTERNAL");
    if (!isRq63())
        return;
    const int ret = m_telnira.vCM_WLANAntennaSwitch(states.antennaExternal ? 1 : 0);
    TraceMessage(L"OnClicked_CommAntSwitch: vCM_WLANAntennaSwitch: bRet = %d to %d", ret, states.antennaExternal ? 1 : 0);
    if (ret == 0) {
        ShowMessageBox(L"Switch antenna  fail!");
        states.antennaExternal = !states.antennaExternal;
    }
    ShowButtonState(kAntennaSwitchId, states.antennaExternal);
}

void GU_CommDlg::OnClickedCommWlanbtModuleSwitch()
{
    SwitchStates& states = Switches();
    states.wlanBtModule = !states.wlanBtModule;
    const int on = states.wlanBtModule ? 1 : 0;
    TraceDebug(on ? L"OnClickedCommWlanbtModuleSwitch: WLANBT Module to ON"
                  : L"OnClickedCommWlanbtModuleSwitch: WLANBT Module to OFF");

    if (on) {
        int power = 0;
        int ret = m_telnira.vCM_WLANPowerStatus(&power);
        TraceMessage(L"OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerStatus: bRet = %d, bWLANPowerStatus=%d", ret, power);
        if (power == 0) {
            ret = m_telnira.vCM_WLANPowerOnOff(1);
            TraceMessage(L"OnClickedCommWlanbtModuleSwitch: vCM_WLANPowerOnOff: bRet = %d, to ON", ret);
            if (ret == 1) {
                writeSetting(L"WLAN_POWER", 1);
                writeSetting(L"BT_POWER", 1);
                const int delay = ReadSettingInt(kSection, L"WLAN_POWER_DELAY", kDefaultWlanPowerDelayMs);
                TraceMessage(L"OnClickedCommWlanbtModuleSwitch: get WLAN_POWER_DELAY: wlan_power_delay = %d.", delay);
                WaitForRadios(std::clamp(delay, 0, kMaxWlanPowerDelayMs));
            }
        }
    }
    const int wlanRet = m_telnira.vCM_WLANModuleSwitch(on);
    const int btRet = m_telnira.vCM_BluetoothModuleSwitch(on);
    TraceMessage(L"OnClickedCommWlanbtModuleSwitch: vCM_WLANModuleSwitch: bWLANRet = %d, m_bWLANBT_MODULE = %d", wlanRet, on);
    TraceMessage(L"OnClickedCommWlanbtModuleSwitch: vCM_BluetoothModuleSwitch: bBTRet = %d, m_bWLANBT_MODULE = %d", btRet, on);

    if (wlanRet == 0 && btRet == 0) {
        ShowMessageBox(L"Set wlan/bt module all fail!");
        states.wlanBtModule = !states.wlanBtModule;
    } else if (wlanRet == 0 && btRet == 1) {
        ShowMessageBox(L"Set wlan/bt module (WLAN) fail!");
        states.wlanBtModule = !states.wlanBtModule;
        const int restored = states.wlanBtModule ? 1 : 0;
        const int ret = m_telnira.vCM_BluetoothModuleSwitch(restored);
        TraceMessage(L"OnClickedCommWlanbtModuleSwitch: Rollback: vCM_BluetoothModuleSwitch: bBTRet = %d, m_bWLANBT_MODULE = %d",
                     ret, restored);
    } else if (wlanRet == 1 && btRet == 0) {
        ShowMessageBox(L"Set wlan/bt module (BT) fail!");
        states.wlanBtModule = !states.wlanBtModule;
        const int restored = states.wlanBtModule ? 1 : 0;
        const int ret = m_telnira.vCM_WLANModuleSwitch(restored);
        TraceMessage(L"OnClickedCommWlanbtModuleSwitch: Rollback:  vCM_WLANModuleSwitch: bWLANRet = %d, m_bWLANBT_MODULE = %d",
                     ret, restored);
    }

    ShowButtonState(kWlanBtSwitchId, states.wlanBtModule);
    writeSetting(L"WLAN_MODULE", states.wlanBtModule ? 1 : 0);
    writeSetting(L"BT_MODULE", states.wlanBtModule ? 1 : 0);
}

void GU_CommDlg::WaitForRadios(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    // A nested loop that sleeps in the event dispatcher: paint and timer events go on (the page is
    // not left half drawn), while the user's taps are dropped rather than held back, so an impatient
    // second tap cannot switch the radios back once the wait is over.
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    qApp->removeEventFilter(&blocker);
}
