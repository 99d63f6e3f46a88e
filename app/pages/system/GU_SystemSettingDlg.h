#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

#include <cstddef>
#include <string>

// The system settings hub: eight tiles that open the sub-pages (power management, watchdog, I/O,
// brightness, program buttons, wake-up), the UPS charge and the emergency-button latch with its
// reset. The sub-pages are held process-wide, at most one of each kind; the hub registers itself with
// the tray window until its window is gone (its run has ended), so that the tray knows the system
// settings are open.
class GU_SystemSettingDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1094;
    static constexpr int kPowerMgtId = 1095;
    static constexpr int kUpsId = 1096;
    static constexpr int kIoConfId = 1097;
    static constexpr int kWatchdogId = 1098;
    static constexpr int kWakeupId = 1099;
    static constexpr int kEmergencyId = 1100;
    static constexpr int kBrightnessId = 1101;
    static constexpr int kProgButtonId = 1102;
    static constexpr int kUpsTextId = 1146;

    explicit GU_SystemSettingDlg(QWidget* parent = nullptr);
    ~GU_SystemSettingDlg() override;

    // Ends the window; then, as when its run ends, every sub-page still held is destroyed and the
    // tray registration cleared.
    void DestroyWindow() override;
    void done(int result) override;

    // The sub-page object a tile opened last (null if none, or not a sub-page tile).
    static CPageDlg* SubPage(int buttonId);
    // Whether a tile's sub-page is built into the program.
    static bool HasSubPage(int buttonId);

protected:
    bool OnInitDialog() override;

private:
    void SetModelButtons(const std::wstring& hardType);
    void DisableMissingSubPages();
    void GetUPSStatus();
    void OnClickedEmergency();
    void OpenSubPage(std::size_t kind);
    // What follows the end of the window (its modal run ending or DestroyWindow), once: the page
    // no longer stands for open system settings.
    void WindowGone();

    CKestrom m_kestrom;
    bool m_windowGone = false;
};
