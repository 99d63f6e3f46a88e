#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"

#include <cstddef>

// The power management page: how the computer follows the vehicle's ignition (ACC detection on
// GX58 and RQ63, ACC sensor mode and the power button on RQ81 and RQ72), the nominal input voltage,
// the power-on and power-off delays, and the start-up/shut-down voltage dialog of the input voltage.
// The master switch (ACC detection or sensor mode) greys or hides the sections below it. Its state
// is process-wide; nothing is written to the settings file, everything lives in the library.
class GU_SysPowerMgtDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1110;
    static constexpr int kAccSensorModeId = 1233;
    static constexpr int kPowerButtonId = 1236;
    static constexpr int kAccDetectId = 1111;
    static constexpr int kAccStatusId = 1165;
    static constexpr int kAccStatusGreyId = 1167;
    static constexpr int kInputVoltageCaptionId = 1116;
    static constexpr int kVoltageCaptionId = 1117;
    static constexpr int kVoltageSetId = 1169;
    static constexpr int kPowerOnDelayId = 1112;
    static constexpr int kPowerOnDelayGreyId = 1166;
    static constexpr int kPowerOffDelayId = 1113;
    static constexpr int kPowerOffDelayGreyId = 1168;
    static constexpr int kInputVoltageListId = 1118;
    static constexpr int kInputVoltageTextId = 1119;
    static constexpr int kSecondListId = 1120;
    static constexpr int kSecondTextId = 1121;
    static constexpr int kPowerOnListId = 1122;
    static constexpr int kPowerOnTextId = 1124;
    static constexpr int kPowerOffListId = 1123;
    static constexpr int kPowerOffTextId = 1125;

    // Hardware type indexes (m_hard_type).
    enum HardTypeIndex : int { kGX58 = 0, kRQ63_L = 1, kRQ63_H = 2, kRQ81 = 3, kRQ72 = 4, kUnknown = -1 };

    explicit GU_SysPowerMgtDlg(QWidget* parent = nullptr);
    ~GU_SysPowerMgtDlg() override;

    // Ends the window; then, as when its run ends, every voltage dialog still held is destroyed.
    void DestroyWindow() override;
    void done(int result) override;

    // The process-wide state the page keeps.
    static int InputVoltage();
    static int CurrentHardType();
    // The voltage dialog of a nominal voltage (12, 24, 36, 48) opened last, or null.
    static CPageDlg* VoltageDialog(int nominal);

protected:
    bool OnInitDialog() override;

private:
    bool WideFlavour() const; // RQ81 and RQ72
    // The sections below the master switch (ACC status, input voltage, start/shut voltage, delay
    // switches), as the master and the library's delay switches say.
    void ShowAccStatus();
    void ShowInputVoltageSection();
    void ShowVoltageSection();
    void ShowDelaySwitch(bool powerOn);
    void ShowVoltageButton();
    void ReadInputVoltage();
    void ReadDelayCode(bool powerOn);
    void ReadAccSensorMode();
    void ReadPowerButton();

    void OnSelchangeInputVoltage(int row);
    void OnSelchangeDelay(bool powerOn, int row);
    void OnClickedDelaySwitch(bool powerOn);
    void OnClickedAccDetect();
    void OnClickedSensorModeOrPowerButton(bool sensorMode);
    void OnClickedVoltageSet();
    void SetSwitch(int id, int state);
    void WindowGone();

    CKestrom m_kestrom;
    bool m_windowGone = false;
};
