#include "GU_SysWatchdogDlg.h"

#include "AppPaths.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "GU_WatchdogSimulateDlg.h"
#include "PrivateProfile.h"
#include "Trace.h"

#include <string>

namespace {

constexpr wchar_t kDefaultHardType[] = L"GX58";
constexpr int kOff = 0;
constexpr int kOn = 1;

// The timeout buttons: seconds, place and pictures. The library takes and gives seconds − 1.
struct TimeoutButton {
    int seconds;
    int x;
    int y;
    const char* off;
    const char* on;
};
constexpr TimeoutButton kTimeouts[std::size(GU_SysWatchdogDlg::kTimeoutIds)] = {
    {1, 520, 195, "IDB_SYSWATCHDOG_1SEC_OFF_L", "IDB_SYSWATCHDOG_1SEC_ON_L"},
    {2, 610, 195, "IDB_SYSWATCHDOG_2SEC_OFF_L", "IDB_SYSWATCHDOG_2SEC_ON_L"},
    {4, 700, 195, "IDB_SYSWATCHDOG_4SEC_OFF_L", "IDB_SYSWATCHDOG_4SEC_ON_L"},
    {8, 790, 195, "IDB_SYSWATCHDOG_8SEC_OFF_L", "IDB_SYSWATCHDOG_8SEC_ON_L"},
    {16, 880, 195, "IDB_SYSWATCHDOG_16SEC_OFF_L", "IDB_SYSWATCHDOG_16SEC_ON_L"},
    {32, 520, 295, "IDB_SYSWATCHDOG_32SEC_OFF_L", "IDB_SYSWATCHDOG_32SEC_ON_L"},
    {64, 610, 295, "IDB_SYSWATCHDOG_64SEC_OFF_L", "IDB_SYSWATCHDOG_64SEC_ON_L"},
    {128, 700, 295, "IDB_SYSWATCHDOG_128SEC_OFF_L", "IDB_SYSWATCHDOG_128SEC_ON_L"},
    {256, 790, 295, "IDB_SYSWATCHDOG_256SEC_OFF_L", "IDB_SYSWATCHDOG_256SEC_ON_L"},
};

// The switch as the page last knew it, process-wide.
int g_watchdogSwitch = kOff;

} // namespace

GU_SysWatchdogDlg::GU_SysWatchdogDlg(QWidget* parent) : CPageDlg(L"GU_SysWatchdogDlg", "IDB_SYSWATCHDOG_BASE_L", parent) {}

GU_SysWatchdogDlg::~GU_SysWatchdogDlg() { ReleaseAlert(); }

int GU_SysWatchdogDlg::SwitchState() { return g_watchdogSwitch; }

void GU_SysWatchdogDlg::DestroyWindow()
{
    ReleaseAlert();
    CPageDlg::DestroyWindow();
}

void GU_SysWatchdogDlg::ReleaseAlert()
{
    std::unique_ptr<CPageDlg> alert = std::move(m_alert);
    if (!alert)
        return;
    alert->DestroyWindow();
    // An alert whose modal run is still on the stack goes once that run has unwound.
    if (alert->IsRunningModal())
        alert.release()->deleteLater();
}

bool GU_SysWatchdogDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    AddHomeButton(kHomeId, 40, 445, "IDB_SYSWATCHDOG_HOME_L", L"OnClicked_SyswatchdogHome", IDCANCEL);
    AddButton(kSwitchId, 282, 90, "IDB_SYSWATCHDOG_TIMER_OFF_L", "IDB_SYSWATCHDOG_TIMER_ON_L", [this] { OnClickedSwitch(); });
    AddButton(kResetId, 520, 410, "IDB_SYSWATCHDOG_SIMULATE_L", "IDB_SYSWATCHDOG_SIMULATE_L", [this] { OnClickedReset(); });
    for (std::size_t i = 0; i < std::size(kTimeouts); ++i) {
        const TimeoutButton& t = kTimeouts[i];
        AddButton(kTimeoutIds[i], t.x, t.y, t.off, t.on, [this, seconds = t.seconds] { OnClickedTimeout(seconds); });
    }
    SetChildTitles({L"Watchdog Simulate"});

    ReadStatus();
    const std::wstring hardType = ReadSettingText(L"PROJECT", L"HARD_TYPE", kDefaultHardType);
    TraceMessage(L"PROJECT HARD_TYPE = <%s>", hardType.c_str());
    ShowSwitchState();
    SetTitle(L"SystemWatchdog");
    return true;
}

void GU_SysWatchdogDlg::ReadStatus()
{
    int status = 0;
    const int bRet = m_kestrom.vTimer_WatchdogTimerStatus(&status);
    TraceMessage(L"getWatchdogStatus: vTimer_WatchdogTimerStatus: bRet = %d, bStatus = %d", bRet, status);
    g_watchdogSwitch = status == 1 ? kOn : kOff;
}

void GU_SysWatchdogDlg::ReadTimeout()
{
    unsigned char code = 0;
    const int bRet = m_kestrom.vTimer_WatchdogTimerGet(&code);
    TraceMessage(L"getWatchdogTimerValue: vTimer_WatchdogTimerGet: bRet = %d, watchDogtimer = %d", bRet, code);
    // The byte is the timeout minus one, so 255 is 256 seconds.
    ShowTimeout(static_cast<int>(code) + 1);
}

void GU_SysWatchdogDlg::ShowTimeout(int seconds)
{
    m_timeout = seconds;
    const bool shown = seconds != kNoTimeout;
    for (std::size_t i = 0; i < std::size(kTimeouts); ++i) {
        CMyBitmapButton* button = Button(kTimeoutIds[i]);
        ShowItem(kTimeoutIds[i], shown);
        EnableItem(kTimeoutIds[i], shown);
        // A value that is none of the nine selects none.
        button->setState(shown && kTimeouts[i].seconds == seconds ? kOn : kOff);
        button->RedrawNow();
    }
}

// The switch, RESET and the timeout row as the switch says: the timeout can be changed only while
// the watchdog is off, an expiry forced only while it is on.
void GU_SysWatchdogDlg::ShowSwitchState()
{
    CMyBitmapButton* button = Button(kSwitchId);
    button->setState(g_watchdogSwitch);
    button->RedrawNow();
    const bool on = g_watchdogSwitch == kOn;
    ShowItem(kResetId, on);
    EnableItem(kResetId, on);
    if (on)
        ShowTimeout(kNoTimeout);
    else
        ReadTimeout();
}

void GU_SysWatchdogDlg::OnClickedSwitch()
{
    g_watchdogSwitch = g_watchdogSwitch ? kOff : kOn;
    TraceMessage(g_watchdogSwitch ? L"OnClicked_SyswatchdogTimerSwitch: watchdog timer to ON"
                                  : L"OnClicked_SyswatchdogTimerSwitch: watchdog timer to OFF");
    const int bRet = m_kestrom.vTimer_WatchdogTimerSwitch(g_watchdogSwitch);
    TraceMessage(L"OnClicked_SyswatchdogTimerSwitch: vTimer_WatchdogTimerSwitch: bRet = %d, m_bWatchdog_timer_Switch = %d",
                 bRet, g_watchdogSwitch);
    if (bRet) {
        // Stored only once the library accepted it, so a start never applies a state that failed.
        WritePrivateProfileStringW(L"SYS_WATCHDOG", L"IS_ENABLED", g_watchdogSwitch ? L"1" : L"0", SettingsFile());
        int status = 0;
        const int bStatusRet = m_kestrom.vTimer_WatchdogTimerStatus(&status);
        TraceMessage(L"getWatchdogStatus: vTimer_WatchdogTimerStatus: bRet = %d, bStatus = %d", bStatusRet, status);
    } else {
        ShowMessageBox(L"Set watchdog timer fail.");
        g_watchdogSwitch = g_watchdogSwitch ? kOff : kOn;
    }
    ShowSwitchState();
}

void GU_SysWatchdogDlg::OnClickedTimeout(int seconds)
{
    ShowTimeout(seconds);
    TraceMessage(L"GU_SysWatchdogDlg: setWatchdogTimerValue()");
    const unsigned char code = static_cast<unsigned char>(seconds - 1);
    const int bRet = m_kestrom.vTimer_WatchdogTimerSet(code);
    // A failed write is only traced: the page keeps showing the choice.
    TraceMessage(L"setWatchdogTimerValue: vTimer_WatchdogTimerSet: bRet = %d, timerValue = %d", bRet, code);
}

void GU_SysWatchdogDlg::OnClickedReset()
{
    TraceMessage(L"OnClicked_SyswatchdogReset: watchdog timer simulate");
    const int bRet = m_kestrom.vTimer_WatchdogTimerSimulate();
    TraceMessage(L"OnClicked_SyswatchdogReset: vTimer_WatchdogTimerSimulate: bRet = %d", bRet);
    if (!bRet) {
        ShowMessageBox(L"Watchdog simulate fail.");
        return;
    }
    ReleaseAlert();
    m_alert = std::make_unique<GU_WatchdogSimulateDlg>(this);
    m_alert->DoModal();
}
