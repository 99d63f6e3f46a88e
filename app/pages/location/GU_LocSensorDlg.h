#pragma once

#include "CPageDlg.h"
#include "PageWorker.h"

#include "Miravel.h"

#include <memory>

class GU_LocSensorGpsSetting;

// The location and sensor page: the G-sensor and the board temperature, read by a 3-second timer,
// and the GPS state (module RF, port, baud rate, satellites, position), filled by a worker that
// starts the GPS library with the configured port and then polls it. The way to the GPS settings
// page, which gets the last position.
class GU_LocSensorDlg : public CPageDlg {
    Q_OBJECT
public:
    static constexpr int kHomeId = 1052;
    static constexpr int kGpsSwitchId = 1069;
    static constexpr int kGpsSettingId = 1068;
    static constexpr int kAntennaLabelId = 1058;
    static constexpr int kGSensorValueId = 1060;
    static constexpr int kTemperatureValueId = 1061;
    static constexpr int kModuleRfValueId = 1062;
    static constexpr int kSerialPortValueId = 1063;
    static constexpr int kBaudRateValueId = 1064;
    static constexpr int kAntennaValueId = 1065;
    static constexpr int kSatellitesValueId = 1066;
    static constexpr int kLocationValueId = 1067;
    static constexpr int kSensorTimerId = 102;
    static constexpr int kSensorPeriodMs = 3000;
    static constexpr unsigned kRetryPauseMs = 2000;
    static constexpr unsigned kPollPeriodMs = 3000;
    // Polling follows the start attempts only when fewer than this many were made before the one
    // that succeeded (or, when all failed, when the retry maximum is below it).
    static constexpr int kPollAttemptLimit = 5;

    // The last position, for the whole program: written by the worker, read when the settings page
    // opens. kNoPosition (255) in both while none is known; signed (south and west negative).
    static double LastLatitude();
    static double LastLongitude();
    static void SetLastPosition(double latitude, double longitude);
    // The open GPS settings page, for the whole program (null when none).
    static GU_LocSensorGpsSetting* GpsSettingPage();

    explicit GU_LocSensorDlg(QWidget* parent = nullptr);
    ~GU_LocSensorDlg() override;

    void DestroyWindow() override;
    // True while the GPS worker runs.
    bool WorkerRunning() const { return m_gpsWorker.IsRunning(); }

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(int id) override;

private:
    void StartWorker();
    // Ends the worker and stops the GPS library (when a worker ran).
    void EndWorker();
    void ReleaseSettingPage();
    void OnClosing();
    void OnClicked_LocsensorGpsSetting();
    // The worker's steps; on the worker thread, touching the page through posted work only.
    void GetAllLocSensorStatus(CPageWorker::Context& worker);
    void PollGps(CPageWorker::Context& worker);
    void ShowValue(int id, const QString& text);

    CMiravel m_miravel;
    CPageWorker m_gpsWorker{this};
    std::unique_ptr<GU_LocSensorGpsSetting> m_gpsSettingDlg;
};
