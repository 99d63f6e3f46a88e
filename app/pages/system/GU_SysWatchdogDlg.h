#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

#include <memory>

// The watchdog page: switches the hardware watchdog, chooses its timeout among nine powers of two
// (only while it is off) and forces an expiry to test the restart path, which shows the full-screen
// alert. The switch is stored in SYS_WATCHDOG/IS_ENABLED for the tray window to apply at start; the
// timeout lives in the library only.
class GU_SysWatchdogDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1126;
    static constexpr int kResetId = 1127;
    static constexpr int kSwitchId = 1128;
    // Timeout buttons, in the order 1, 2, 4 ... 256 seconds.
    static constexpr int kTimeoutIds[9] = {1134, 1130, 1131, 1132, 1133, 1129, 1135, 1137, 1136};
    static constexpr int kNoTimeout = -1;

    explicit GU_SysWatchdogDlg(QWidget* parent = nullptr);
    ~GU_SysWatchdogDlg() override;

    // Ends the window and destroys the alert it still holds.
    void DestroyWindow() override;

    // The process-wide switch state and the timeout shown (seconds, or kNoTimeout).
    static int SwitchState();
    int Timeout() const { return m_timeout; }
    // The simulation alert opened last, or null.
    CPageDlg* Alert() const { return m_alert.get(); }

protected:
    bool OnInitDialog() override;

private:
    void ReadStatus();
    void ReadTimeout();
    void ShowTimeout(int seconds);
    void ShowSwitchState();
    void OnClickedSwitch();
    void OnClickedTimeout(int seconds);
    void OnClickedReset();
    void ReleaseAlert();

    CKestrom m_kestrom;
    int m_timeout = kNoTimeout;
    std::unique_ptr<CPageDlg> m_alert;
};
