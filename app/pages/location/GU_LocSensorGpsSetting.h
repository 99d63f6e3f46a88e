#pragma once

#include "CPageDlg.h"

#include "Miravel.h"

// The GPS settings page, opened from the location page with the last position: the GPS module's
// radio switch, the receiver's serial port and baud rate (written by Home, which restarts the
// location page's worker), and the position on a web map.
class GU_LocSensorGpsSetting : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1070;
    static constexpr int kRfSwitchId = 1071;
    static constexpr int kAntennaLabelId = 1074;
    static constexpr int kAntennaSetId = 1087;
    static constexpr int kSatellitesSetId = 1041;
    static constexpr int kLocationSetId = 1088;
    static constexpr int kSerialPortListId = 1092;
    static constexpr int kBaudRateListId = 1093;

    // The lists' rows: text, value; the row index is the position in the table.
    struct Row {
        const wchar_t* text;
        int value;
    };
    static constexpr Row kPorts[] = {{L"COM1", 1}, {L"COM2", 2}, {L"COM3", 3}, {L"COM4", 4}, {L"COM5", 5},
                                     {L"COM6", 6}, {L"COM7", 7}, {L"COM8", 8}, {L"COM9", 9}, {L"COM10", 10}};
    static constexpr Row kBaudRates[] = {
        {L"4800", 4800}, {L"9600", 9600}, {L"14400", 14400}, {L"19200", 19200}, {L"115200", 115200}};

    // The RF switch state, for the whole program: 1 on, 0 off (off at program start).
    static int RfSwitchState();

    // parent is the location page, which receives WM_LOCATION_REFRESH from Home.
    explicit GU_LocSensorGpsSetting(QWidget* parent = nullptr);

    // The position the map button shows (decimal degrees; 255 for none), set before the page runs.
    void SetPosition(double latitude, double longitude);

protected:
    bool OnInitDialog() override;

private:
    void GetAllGpsSettingStatus();
    void ShowRfSwitch();
    void FillList(int id, int x, int y, int dropRoom, const Row* rows, std::size_t count, int selected);
    void OnClicked_GpssettingHome();
    void OnClicked_GpssettingRfSwitch();
    void OnClicked_GpssettingLocationSet();

    CMiravel m_miravel;
    double m_latitude;
    double m_longitude;
};
