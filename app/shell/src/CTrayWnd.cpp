#include "CTrayWnd.h"

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "DesktopEntry.h"
#include "GU_MyMessageboxDlg.h"
#include "InnerCmd.h"
#include "KeyInjector.h"
#include "KeyInput.h"
#include "KeySetRegistry.h"
#include "PrivateProfile.h"
#include "ProcessLauncher.h"
#include "ScanCodeTable.h"
#include "Trace.h"
#include "WakeSchedule.h"
#include "WakeTimer.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <ctime>
#include <cwchar>

namespace {

constexpr wchar_t kTrayTitle[] = L"TARVIK_TRAY_WND";
constexpr int kBrightnessStep = 10;
constexpr int kBrightnessMin = 0;
constexpr int kBrightnessMax = 100;
// What opens documents and web addresses on the desktop.
constexpr wchar_t kDocumentOpener[] = L"xdg-open";
// Why the locks are held, as logind lists them.
constexpr wchar_t kSleepDelayWhy[] = L"Arm the wake-up timer before the machine sleeps";
constexpr wchar_t kExecutionStateWhy[] = L"The control panel requires the system and the display";

CTrayWnd* g_trayWnd = nullptr;

void debugLine(const wchar_t* format, unsigned long long a, unsigned long long b = 0)
{
    wchar_t line[128];
    std::swprintf(line, sizeof line / sizeof line[0], format, a, b);
    DebugOutput(line);
}

// The program to start for a type-2 function's cmd, or empty when it is no program.
QString executableFor(const QString& cmd)
{
    if (cmd.contains(QLatin1Char('/'))) {
        const QFileInfo file(cmd);
        return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(cmd);
}

// A document or web address for the desktop's opener, or empty when cmd names neither. Files are
// given with their absolute path, so no name can pass for an option of the opener.
QString documentFor(const QString& cmd)
{
    const QUrl url(cmd, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1 && !url.isLocalFile() && cmd.contains(QLatin1Char(':')))
        return cmd;
    const QFileInfo file(cmd.startsWith(QLatin1String("file://")) ? QUrl(cmd).toLocalFile() : cmd);
    return file.exists() ? file.absoluteFilePath() : QString();
}

} // namespace

CTrayWnd::Services CTrayWnd::Services::System()
{
    return {&keyInjector(), &loginSession(), &wakeTimer(), &processLauncher()};
}

CTrayWnd::CTrayWnd(Services services) : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), m_services(services)
{
    // Never shown: a hidden window that other windows find by its title.
    setAttribute(Qt::WA_DontShowOnScreen);
    g_trayWnd = this;
    LoadKeyMap();
    SeedKeySetRegistry(m_keyMap, UserRegistryPath(ProcessDataPathSources()));
}

CTrayWnd::~CTrayWnd()
{
    if (m_pMainDlg) {
        CGX58_UtilityDlg* dlg = m_pMainDlg;
        m_pMainDlg = nullptr;
        dlg->DestroyWindow();
        delete dlg;
    }
    if (g_trayWnd == this)
        g_trayWnd = nullptr;
}

CTrayWnd* CTrayWnd::Current() { return g_trayWnd; }

void CTrayWnd::LoadKeyMap()
{
    ::LoadKeyMap(m_keyMap, AppDataPaths().keyMapFile, [](const std::wstring& line) { TraceMessage(L"%s", line.c_str()); });
}

bool CTrayWnd::CreateEx()
{
    const int enabled = static_cast<int>(GetPrivateProfileIntW(L"SYS_WATCHDOG", L"IS_ENABLED", 0, SettingsFile()));
    const int bRet = m_kestrom.vTimer_WatchdogTimerSwitch(enabled == 1 ? 1 : 0);
    TraceMessage(L"InitInstance: vTimer_WatchdogTimerSwitch: bRet = %d, watchdog_isenabled = %d", bRet, enabled);
    setWindowTitle(QString::fromWCharArray(kTrayTitle));
    MarkHiddenWindow(this);

    std::wstring error;
    m_sleepWatch = m_services.session->WatchSleep(
        [this](bool suspending) { OnPowerBroadcast(suspending ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC); }, error);
    if (!m_sleepWatch)
        TraceSessionProblem(L"no sleep signal", error);
    TakeSleepDelay();
    return true;
}

bool CTrayWnd::event(QEvent* event)
{
    if (CWndMessageEvent* message = AsWndMessage(event)) {
        if (message->message == WM_TRAY_KEY)
            message->result = OnHotKeyEvent(message->wParam, message->lParam);
        return true;
    }
    return QWidget::event(event);
}

void CTrayWnd::closeEvent(QCloseEvent* event)
{
    // Destruction is OnClose's business, after its record.
    event->ignore();
    if (!m_destroyed)
        OnClose();
}

LRESULT CTrayWnd::OnHotKeyEvent(WPARAM wParam, LPARAM lParam)
{
    debugLine(L"OnHotKeyEvent_Begin = <0X%llX> <0X%llX> \n", wParam, static_cast<unsigned long long>(lParam));
    // A first parameter beyond 32 bits is no scan code.
    const bool isCode = wParam <= 0xFFFFFFFFu;
    const auto code = static_cast<std::uint32_t>(wParam);
    switch (isCode ? HotKeyActionFor(m_hardType, code) : HotKeyAction::None) {
    case HotKeyAction::Shutdown: {
        DebugOutput(L"Wait to shutdown !!!\n");
        std::wstring error;
        if (!m_services.session->PowerOff(error))
            TraceMessage(L"CTrayWnd: shut-down request failed: %s", error.c_str());
        break;
    }
    case HotKeyAction::ToggleMain: ShowPage(SHOWPAGE_TOGGLE); break;
    case HotKeyAction::Emergency:
        DebugOutput(L"Emgency Button is trigged !!!\n");
        WritePrivateProfileStringW(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN", L"1", SettingsFile());
        break;
    case HotKeyAction::Programmable: SwitchMainDlg(code); break;
    case HotKeyAction::None: break;
    }
    return 0;
}

void CTrayWnd::SwitchMainDlg(std::uint32_t scanCode)
{
    // A function may run a page modally (an inner command opens the settings); a key map reloaded
    // there replaces the tables, so the search walks a copy of them.
    const std::vector<std::vector<KeyDef>> keySets = m_keyMap.kKeySets;
    for (std::size_t s = 0; s < keySets.size(); ++s) {
        for (std::size_t k = 0; k < keySets[s].size(); ++k) {
            const KeyDef& key = keySets[s][k];
            if (key.scancode != scanCode)
                continue;
            const int si = static_cast<int>(s);
            const int ki = static_cast<int>(k);
            TraceMessage(L"CTrayWnd: SwitchMainDlg():kKeySets[%d][%d] - scancode[%x]", si, ki, key.scancode);
            TraceMessage(L"CTrayWnd: SwitchMainDlg():kKeySets[%d][%d] - funid[%d]", si, ki, key.funid);
            TraceMessage(L"CTrayWnd: SwitchMainDlg():kKeySets[%d][%d] - nFnSet[%d]", si, ki, key.nFnSet);
            const long long i = static_cast<long long>(key.funid) - 1;
            if (i >= 0 && i < static_cast<long long>(m_keyMap.kFunDefs.size())) {
                const FunDef function = m_keyMap.kFunDefs[static_cast<std::size_t>(i)];
                const int fi = static_cast<int>(i);
                TraceMessage(L"CTrayWnd: SwitchMainDlg():kFunDefs[%d] - name[%s]", fi, function.name.c_str());
                TraceMessage(L"CTrayWnd: SwitchMainDlg():kFunDefs[%d] - type[%d]", fi, function.type);
                TraceMessage(L"CTrayWnd: SwitchMainDlg():kFunDefs[%d] - cmd[%s]", fi, function.cmd.c_str());
                TraceMessage(L"CTrayWnd: SwitchMainDlg():kFunDefs[%d] - desc[%s]", fi, function.descpt.c_str());
                TraceMessage(L"CTrayWnd: SwitchMainDlg():kFunDefs[%d] - para[%s]", fi, function.para.c_str());
                ExecuteFunction(function);
            }
            break; // the next key set
        }
    }
}

void CTrayWnd::ExecuteFunction(const FunDef& function)
{
    switch (function.type) {
    case FunDef::TYPE_INNER_COMMAND: ProcessInnerCmdEvent(function.innerCmd); break;
    case FunDef::TYPE_START_PROGRAM:
        if (!function.cmd.empty())
            StartProgram(function.cmd, function.para);
        break;
    case FunDef::TYPE_SEND_KEYS: {
        for (std::int32_t code : function.vkeys)
            TraceMessage(L"Send Virtual Keys: 0x%2X", code);
        const std::vector<KeyInput> inputs = KeyInputsFor(function.vkeys);
        if (!inputs.empty())
            m_services.injector->SendInput(inputs);
        break;
    }
    default: break;
    }
}

void CTrayWnd::StartProgram(const std::wstring& cmd, const std::wstring& para)
{
    // Windows opens cmd with the shell's "open": a program runs with para as its command line, a
    // document or web address opens in its application. Here no shell sees either text: para is
    // split into arguments by the quoting rules alone, a document goes to the opener as one argument.
    const QString target = QString::fromStdWString(cmd);
    bool started = false;
    if (target.endsWith(QLatin1String(".desktop")) && QFileInfo(target).isFile()) {
        // A desktop entry starts its own command line, as the desktop starts it (para has no place).
        std::vector<std::wstring> command = DesktopEntryCommand(target.toStdWString());
        const QString program = command.empty() ? QString() : executableFor(QString::fromStdWString(command.front()));
        if (program.isEmpty()) {
            TraceMessage(L"CTrayWnd: open <%s>: the desktop entry starts no program", cmd.c_str());
            return;
        }
        command.erase(command.begin());
        started = m_services.launcher->StartDetached(program.toStdWString(), command);
    } else if (const QString program = executableFor(target); !program.isEmpty()) {
        std::vector<std::wstring> arguments;
        for (const QString& argument : QProcess::splitCommand(QString::fromStdWString(para)))
            arguments.push_back(argument.toStdWString());
        started = m_services.launcher->StartDetached(program.toStdWString(), arguments);
    } else if (const QString document = documentFor(target); !document.isEmpty()) {
        started = m_services.launcher->StartDetached(kDocumentOpener, {document.toStdWString()});
    } else {
        TraceMessage(L"CTrayWnd: open <%s>: no such program or document", cmd.c_str());
        return;
    }
    TraceMessage(L"CTrayWnd: open <%s> <%s>: bRet = %d", cmd.c_str(), para.c_str(), started ? 1 : 0);
}

void CTrayWnd::ProcessInnerCmdEvent(int innerCmd)
{
    switch (innerCmd) {
    case INNER_CMD_SWITCH_HOME:
        if (m_pMainDlg)
            CloseMainDlg(true);
        else
            OpenMainDlg();
        break;
    case INNER_CMD_SWITCH_SYSTEM: ShowPage(SHOWPAGE_SYSTEM); break;
    case INNER_CMD_SWITCH_VEHICLE: ShowPage(SHOWPAGE_VEHICLE); break;
    case INNER_CMD_BRIGHTNESS_UP: ChangeBrightness(kBrightnessStep); break;
    case INNER_CMD_BRIGHTNESS_DOWN: ChangeBrightness(-kBrightnessStep); break;
    default: break; // volume and Ctrl+Alt+Del: nothing
    }
}

void CTrayWnd::ChangeBrightness(int step)
{
    int value = 0;
    int bRet = m_kestrom.vBC_BrightnessValueGet(&value);
    TraceMessage(L"ProcessInnerCmdEvent: vBC_BrightnessValueGet value=[%d] bRet=[%d]", value, bRet);
    if (bRet != 1)
        return;
    // A controller may report a value outside 0-100; the step lands inside the range either way.
    value = std::clamp(value + step, kBrightnessMin, kBrightnessMax);
    bRet = m_kestrom.vBC_BrightnessValueSet(value);
    TraceMessage(L"ProcessInnerCmdEvent: vBC_BrightnessValueSet value=[%d] bRet=[%d]", value, bRet);
}

void CTrayWnd::ShowPage(ShowPageMode mode)
{
    if (mode == SHOWPAGE_TOGGLE) {
        if (m_pMainDlg)
            CloseMainDlg(false);
        else
            OpenMainDlg();
        return;
    }
    const bool vehicle = mode == SHOWPAGE_VEHICLE;
    const bool pageExists = vehicle ? !m_pVehicleDlg.isNull() : !m_pSystemSettingDlg.isNull();
    if (m_pMainDlg)
        CloseMainDlg(true);
    if (pageExists)
        return;
    OpenMainDlg();
    // The page runs modally inside this call; the main window may be closed meanwhile.
    QPointer<CGX58_UtilityDlg> mainDlg(m_pMainDlg);
    SendMessage(mainDlg, vehicle ? WM_OPEN_VEHICLE : WM_OPEN_SYSTEM_SETTING, 0, 0);
}

void CTrayWnd::OpenMainDlg()
{
    m_pMainDlg = new CGX58_UtilityDlg;
    m_pMainDlg->CreateModeless();
    m_pMainDlg->repaint();
}

void CTrayWnd::CloseMainDlg(bool closeDown)
{
    CGX58_UtilityDlg* dlg = m_pMainDlg;
    if (!dlg)
        return;
    m_pMainDlg = nullptr;
    if (closeDown)
        SendMessage(dlg, WM_CLOSE_CHILDREN, 0, 0);
    dlg->DestroyWindow();
    dlg->DeleteWhenPagesReturn();
}

int CTrayWnd::SwitchWatchdogOff() { return m_kestrom.vTimer_WatchdogTimerSwitch(0); }

void CTrayWnd::WriteCloseReason(const wchar_t* reason)
{
    WritePrivateProfileStringW(L"LOG", L"CONTENT", reason, SettingsFile());
}

void CTrayWnd::OnClose()
{
    TraceMessage(L"CTrayWnd: OnClose");
    const int bRet = SwitchWatchdogOff();
    TraceDebug(L"OnClose: vTimer_WatchdogTimerSwitch to OFF: bRet = %d", bRet);
    WriteCloseReason(L"APP Close! OnClose\xFF01");
    DestroyWindow();
}

bool CTrayWnd::OnQueryEndSession()
{
    const int bRet = SwitchWatchdogOff();
    TraceDebug(L"OnEndSession: vTimer_WatchdogTimerSwitch to OFF: bRet = %d", bRet);
    WriteCloseReason(L"APP Close! OnQueryEndSession\xFF01");
    return true;
}

void CTrayWnd::OnEndSession(bool)
{
    // The record is written whether or not the session really ends.
    const int bRet = SwitchWatchdogOff();
    TraceDebug(L"OnEndSession: vTimer_WatchdogTimerSwitch to OFF: bRet = %d", bRet);
    WriteCloseReason(L"APP Close! OnEndSession\xFF01");
}

void CTrayWnd::DestroyWindow()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    CloseMainDlg(false);
    emit windowDestroyed();
}

void CTrayWnd::OnPowerBroadcast(int event)
{
    if (event == PBT_APMSUSPEND) {
        TraceMessage(L"App: System will enter S3");
        unsigned char hour = 0;
        unsigned char minute = 0;
        unsigned char second = 0;
        const int bRet = m_kestrom.vWU_WakeOnRTCTimerStatus(&hour, &minute, &second);
        TraceMessage(L"vWU_WakeOnRTCTimerStatus: bRet = %d, hour=%d, minute=%d second=%d", bRet, hour, minute, second);

        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::tm local{};
        const std::time_t nowSeconds = now.tv_sec;
        localtime_r(&nowSeconds, &local);
        const TimeOfDay current{local.tm_hour, local.tm_min, local.tm_sec};
        const TimeOfDay wake{hour, minute, second};
        const std::int32_t delay = WakeDelaySeconds(wake, current);
        TraceDebug(L"current time = %d:%d:%d  [%d]; \nrtc =  %d:%d:%d  [%d]; \nsetsecond = [%d]", current.hour,
                   current.minute, current.second, SecondsOfDay(current), wake.hour, wake.minute, wake.second,
                   SecondsOfDay(wake), delay);
        const std::int64_t nowUnits =
            static_cast<std::int64_t>(now.tv_sec) * kTimerUnitsPerSecond + now.tv_nsec / 100;
        const std::int64_t due = WakeDueTime(nowUnits, delay);

        const wchar_t* failure = nullptr;
        if (!m_services.timer->Create()) {
            failure = L"CreateWaitableTimer fail.";
        } else if (!m_services.timer->SetAbsolute(due)) {
            m_services.timer->Close();
            failure = L"Can't Set Wait timer.";
        }
        SetExecutionState(ES_CONTINUOUS);
        // The suspend may go on now; a message box must not hold it.
        m_sleepDelay.reset();
        if (failure)
            ShowMessageBox(failure);
    } else if (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        TraceMessage(L"App: System resume from  S3");
        SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
        TakeSleepDelay();
    }
}

void CTrayWnd::SetExecutionState(std::uint32_t flags)
{
    // Requiring the system and the display keeps the machine from idling into sleep or a dark
    // screen; it never stops a suspend asked for. That is logind's idle lock.
    if (!(flags & (ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED))) {
        m_executionState.reset();
        return;
    }
    if (m_executionState)
        return;
    std::wstring error;
    m_executionState = m_services.session->Inhibit(L"idle", L"block", kExecutionStateWhy, error);
    if (!m_executionState)
        TraceSessionProblem(L"no idle lock", error);
}

void CTrayWnd::TakeSleepDelay()
{
    if (m_sleepDelay)
        return;
    std::wstring error;
    m_sleepDelay = m_services.session->Inhibit(L"sleep", L"delay", kSleepDelayWhy, error);
    if (!m_sleepDelay)
        TraceSessionProblem(L"no sleep delay lock", error);
}

void CTrayWnd::TraceSessionProblem(const wchar_t* what, const std::wstring& error)
{
    if (m_tracedProblems.insert(error).second)
        TraceMessage(L"CTrayWnd: %s: %s", what, error.c_str());
}
