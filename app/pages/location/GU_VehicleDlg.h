#pragma once

#include "CPageDlg.h"

#include "Kestrom.h"
#include "PageWorker.h"

// The vehicle status page: tachograph and engine speed, fuel used and the fuel and coolant
// temperatures from the J1939 interpreter, polled by the vehicle worker; the battery voltage from the
// power library every 3 seconds; and a map button for the position that the position worker keeps
// from the GPS library. Registered with the tray window while it exists, so that the tray's vehicle
// function can close it.
class GU_VehicleDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1017;
    static constexpr int kMapId = 1089;
    static constexpr int kVoltageId = 1077;
    static constexpr int kTachographId = 1078;
    static constexpr int kTachographUnitId = 1083;
    static constexpr int kEngineSpeedId = 1079;
    static constexpr int kEngineSpeedUnitId = 1084;
    static constexpr int kFuelUsedId = 1080;
    static constexpr int kFuelTemperatureId = 1081;
    static constexpr int kCoolantTemperatureId = 1082;
    static constexpr int kVoltageTimerId = 102;
    static constexpr int kVoltagePeriodMs = 3000;
    static constexpr int kPositionPeriodMs = 3000;

    explicit GU_VehicleDlg(QWidget* parent = nullptr);
    ~GU_VehicleDlg() override;

    void DestroyWindow() override;

    // The program-wide position, written by the position worker (decimal degrees, signed: south
    // and west negative; kNoPosition, 255, without a fix).
    static double Longitude();
    static double Latitude();

    // True while one of the page's workers has not ended or been let go (tests, the benchmark).
    bool WorkersRunning() const;

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(int id) override;
    void done(int result) override;

private:
    void OnClicked_VehicleLocation();
    void OnVoltageTimer();
    void MonitorVehicle(CPageWorker::Context& worker);
    void MonitorLocation(CPageWorker::Context& worker);
    // The closing steps, once, when the page's run ends or its window goes.
    void WindowGone();
    void ClearTrayPointer();

    CKestrom m_kestrom;
    CPageWorker m_vehicleWorker{this};
    CPageWorker m_positionWorker{this};
    // Last values, kept on the interface thread as the workers hand them over.
    int m_tachographSpeed = 0;
    int m_engineSpeed = 0;
    long m_fuelUsed = 0;
    long m_fuelTemperature = 0;
    long m_coolantTemperature = 0;
    double m_batteryVoltage = 0;
    bool m_windowGone = false;
};
