#pragma once

#include "HardType.h"
#include "Kestrom.h"
#include "KeyMap.h"
#include "LoginSession.h"
#include "TrayLink.h"
#include "WindowMessages.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

class CGX58_UtilityDlg;
class KeyInjector;
class ProcessLauncher;
class WakeTimer;

// The hidden tray window of the running instance: a never-shown window titled "TARVIK_TRAY_WND"
// (no taskbar entry, no icon) that owns the key map and the main window, handles 0x83E8 (front-panel
// keys, wake-up codes) and the program's lifecycle: the watchdog at start and at every orderly end,
// the record of why the program ended, and the preparation for and recovery from suspend.
class CTrayWnd : public QWidget, public CTrayLink {
    Q_OBJECT
public:
    // What the tray window acts through; the process's own back ends unless a test gives others.
    struct Services {
        KeyInjector* injector;
        LoginSession* session;
        WakeTimer* timer;
        ProcessLauncher* launcher;
        static Services System();
    };

    enum ShowPageMode : int {
        SHOWPAGE_TOGGLE = 0,  // open the main window, or close it (by key: without close-down)
        SHOWPAGE_SYSTEM = 1,  // the system settings page (message 0x7EB)
        SHOWPAGE_VEHICLE = 2, // the vehicle status page (message 0x7EA)
    };

    // Power events (the Windows power broadcast's numbers).
    static constexpr int PBT_APMSUSPEND = 4;
    static constexpr int PBT_APMRESUMESUSPEND = 7;
    static constexpr int PBT_APMRESUMEAUTOMATIC = 18;
    // Execution state: what the program requires of the system while it runs.
    static constexpr std::uint32_t ES_SYSTEM_REQUIRED = 0x00000001;
    static constexpr std::uint32_t ES_DISPLAY_REQUIRED = 0x00000002;
    static constexpr std::uint32_t ES_CONTINUOUS = 0x80000000;

    // Construction: the power library object, the global pointer, LoadKeyMap, SeedKeySetRegistry.
    explicit CTrayWnd(Services services = Services::System());
    ~CTrayWnd() override;

    // The one tray window, or null.
    static CTrayWnd* Current();

    // Creation of the window: the watchdog as SYS_WATCHDOG/IS_ENABLED says (only 1 is on), then the
    // title. Also subscribes to the sleep signal and takes the lock that lets a suspend wait for the
    // wake timer. False when the window cannot be created.
    bool CreateEx();

    HardType GetHardType() const override { return m_hardType; }
    void SetHardType(HardType hardType) { m_hardType = hardType; }

    // (Re)builds kFunDefs and kKeySets from the key map file (the program-button pages call it after
    // every write). A missing file leaves the tables as they are.
    void LoadKeyMap() override;
    const std::vector<FunDef>& kFunDefs() const override { return m_keyMap.kFunDefs; }
    const std::vector<std::vector<KeyDef>>& kKeySets() const override { return m_keyMap.kKeySets; }

    // Message 0x83E8: a scan code or wake-up code. Returns 0.
    LRESULT OnHotKeyEvent(WPARAM wParam, LPARAM lParam);
    // Runs the function of every key set's first key bound to the scan code.
    void SwitchMainDlg(std::uint32_t scanCode);
    void ProcessInnerCmdEvent(int innerCmd);
    void ShowPage(ShowPageMode mode);

    // The main window while it is open, else null.
    CGX58_UtilityDlg* MainDlg() const { return m_pMainDlg; }
    // The system settings and vehicle pages set themselves here while they exist (and clear it).
    void SetSystemSettingPage(QWidget* page) override { m_pSystemSettingDlg = page; }
    QWidget* SystemSettingPage() const override { return m_pSystemSettingDlg; }
    void SetVehiclePage(QWidget* page) override { m_pVehicleDlg = page; }
    QWidget* VehiclePage() const override { return m_pVehicleDlg; }

    // A close request: the watchdog off, LOG/CONTENT "APP Close! OnClose！", the window destroyed.
    void OnClose();
    // The session asks whether it may end: the watchdog off, the record; always agrees.
    bool OnQueryEndSession();
    // The session ends (or not, `ending`): the watchdog off and the record all the same.
    void OnEndSession(bool ending);
    // A power event (PBT_APMSUSPEND, PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC).
    void OnPowerBroadcast(int event);

    // Ends the window: the main window is closed, then windowDestroyed() ends the message loop.
    void DestroyWindow();
    bool IsDestroyed() const { return m_destroyed; }

signals:
    void windowDestroyed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenMainDlg();
    // Close-down first sends the main window 0x7E9, so it closes its pages by their titles.
    void CloseMainDlg(bool closeDown);
    void ExecuteFunction(const FunDef& function);
    void StartProgram(const std::wstring& cmd, const std::wstring& para);
    void ChangeBrightness(int step);
    int SwitchWatchdogOff();
    void WriteCloseReason(const wchar_t* reason);
    // What Windows's SetThreadExecutionState asks for, as an idle inhibitor lock.
    void SetExecutionState(std::uint32_t flags);
    void TakeSleepDelay();
    // Traces a problem of the login manager once per distinct text (a missing bus says so once).
    void TraceSessionProblem(const wchar_t* what, const std::wstring& error);

    KeyMap m_keyMap;
    HardType m_hardType = HARD_TYPE_GX58;
    CGX58_UtilityDlg* m_pMainDlg = nullptr;
    QPointer<QWidget> m_pSystemSettingDlg;
    QPointer<QWidget> m_pVehicleDlg;
    CKestrom m_kestrom;
    Services m_services;
    std::unique_ptr<LoginSession::Inhibitor> m_sleepDelay;
    std::unique_ptr<LoginSession::Inhibitor> m_executionState;
    std::set<std::wstring> m_tracedProblems;
    bool m_destroyed = false;
    // Last, so that it ends first: no sleep signal reaches a tray window being taken down.
    std::unique_ptr<LoginSession::SleepWatch> m_sleepWatch;
};
