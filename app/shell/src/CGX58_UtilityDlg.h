#pragma once

#include "CPageDlg.h"

#include <array>
#include <memory>

// The home screen: a full-screen picture with Exit and the five section buttons. Created and
// destroyed by the tray window; each section's page runs modally from it and stays until the
// section is opened again or the home screen is destroyed.
class CGX58_UtilityDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kExitId = 1000;
    static constexpr int kDevInfoId = 1001;
    static constexpr int kVehicleId = 1002;
    static constexpr int kCommId = 1003;
    static constexpr int kSettingsId = 1004;
    static constexpr int kLocationId = 1005;
    static constexpr int kTopTimerId = 102;
    static constexpr int kTopTimerPeriodMs = 3000;

    explicit CGX58_UtilityDlg(QWidget* parent = nullptr);
    ~CGX58_UtilityDlg() override;

    // Closes every open section page, then the window.
    void DestroyWindow() override;
    // Releases the object (deleteLater): at once when no section page runs from it, else when the
    // last page run opened from it has returned, so that no nested loop returns into a released
    // window. The window should be destroyed first.
    void DeleteWhenPagesReturn();

    // The staying-in-front timer's period (tests shorten it); before the window is created.
    void SetTopRetryPeriod(int milliseconds) { m_topRetryPeriodMs = milliseconds; }
    int TopRetryCount() const { return m_topRetryCount; }
    int TopRetryMax() const { return m_topRetryMax; }
    const std::wstring& HardTypeText() const { return m_hardType; }

    // The page object a section command made last (null if none), and whether a page runs now.
    CPageDlg* SectionPage(int commandId) const;
    bool IsRunningPage() const;

    // The home screen that exists now, or null (the tray window and pages reach it through this).
    static CGX58_UtilityDlg* Current();

    // The portrait flag of the home screen: 1 when the screen is taller than wide, 0 when wider,
    // unchanged when square.
    static bool Portrait();

protected:
    bool OnInitDialog() override;
    void TraceInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code) override;
    void OnTimer(int id) override;

private:
    void OnClickedExit();
    void OpenSection(std::size_t index);
    void ReleasePage(std::size_t index);

    std::array<std::unique_ptr<CPageDlg>, 5> m_pages;
    std::wstring m_hardType;
    int m_topRetryCount = 0;
    int m_topRetryMax = 0;
    int m_topRetryPeriodMs = kTopTimerPeriodMs;
    bool m_destroyed = false;
    int m_pageRuns = 0; // section pages running modally from this window (nested in each other or not)
    bool m_deletePending = false;
};
