#pragma once

#include "CPageDlg.h"

#include "HardType.h"
#include "Kestrom.h"
#include "Telnira.h"

#include <memory>

class GU_Alert_WwanPowerOff;
class GU_CommWwanDlg;

// The communication page: WWAN module power and its details (enable, SIM slot, wake on SMS and its
// code), the WLAN and Bluetooth modules (one combined switch, or on RQ63 one switch each plus the
// WLAN antenna), and the way to the WWAN settings page.
class GU_CommDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1018;
    static constexpr int kWwanSwitchId = 1019;
    static constexpr int kWlanIconId = 1020;
    static constexpr int kBtIconId = 1021;
    static constexpr int kWwanModuleLabelId = 1022;
    static constexpr int kSimSlotLabelId = 1023;
    static constexpr int kWakeOnSmsLabelId = 1024;
    static constexpr int kSmsStringLabelId = 1025;
    static constexpr int kWlanSituationLabelId = 1026;
    static constexpr int kBtModuleLabelId = 1027;
    static constexpr int kWwanModuleValueId = 1028;
    static constexpr int kWwanSettingId = 1029;
    static constexpr int kSimSlotValueId = 1034;
    static constexpr int kWakeOnSmsValueId = 1036;
    static constexpr int kSmsStringValueId = 1038;
    static constexpr int kWlanSituationValueId = 1040;
    static constexpr int kBtModuleValueId = 1044;
    static constexpr int kWlanModuleSwitchId = 1202;
    static constexpr int kBtModuleSwitchId = 1203;
    static constexpr int kAntennaSwitchId = 1210;
    static constexpr int kWlanBtSwitchId = 1233;

    // Longest wait after powering the radios up that the page accepts from WLAN_POWER_DELAY: the
    // page takes no input meanwhile, so a damaged value must not lock it for hours.
    static constexpr int kMaxWlanPowerDelayMs = 60000;

    // The switch states, kept for the whole process: a page opened again shows the last known states
    // until its refresh reads the hardware.
    struct SwitchStates {
        bool wwanPower = false;
        bool wlanBtModule = false;
        bool wlanModule = false;
        bool btModule = false;
        bool antennaExternal = false;
    };
    static SwitchStates& Switches();

    explicit GU_CommDlg(QWidget* parent = nullptr);
    ~GU_CommDlg() override;

    HardType hardType() const { return m_hardType; }
    bool simPresent() const { return m_bSimPresent; }
    // The WWAN settings page and the power-off alert made last (null if none).
    GU_CommWwanDlg* WwanSettingPage() const { return m_wwanDlg.get(); }
    GU_Alert_WwanPowerOff* PowerOffAlert() const { return m_powerOffAlert.get(); }

    void DestroyWindow() override;

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool isRq63() const { return m_hardType == HARD_TYPE_RQ63_L || m_hardType == HARD_TYPE_RQ63_H; }
    void GetAllCommStatus();
    void GetWwanDetailStatus();
    void ShowWwanValues(bool show);
    void ShowButtonState(int id, bool on);
    void SetSharedRadioPower(int (CTelnira::*powerOnOff)(int), const wchar_t* onTrace, const wchar_t* offTrace);

    void OnClicked_CommWwanSwitch();
    void OnClicked_CommWwanSetting();
    void OnClicked_CommWlanModuleSwitch();
    void OnClicked_CommBtModuleSwitch();
    void OnClicked_CommAntSwitch();
    void OnClickedCommWlanbtModuleSwitch();
    // Waits after powering the radios up: the page stays painted but takes no input meanwhile.
    void WaitForRadios(int milliseconds);
    void ReleaseChildren();

    HardType m_hardType = HARD_TYPE_GX58;
    bool m_bSimPresent = false;
    CTelnira m_telnira;
    CKestrom m_kestrom;
    std::unique_ptr<GU_CommWwanDlg> m_wwanDlg;
    std::unique_ptr<GU_Alert_WwanPowerOff> m_powerOffAlert;
};
