#pragma once

#include "BoardProfile.h"
#include "BoardResult.h"
#include "MappedState.h"
#include "SensorBoardState.h"
#include "TarvikBoardExport.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tarvik::board {

// The virtual board's sensors: a 3-D accelerometer and the board thermometer behind the sensor
// service, and the CPU temperature the simulated Quenmark service answers. Values a person sets
// live in the profile's [sensors] section (missing ones take the defaults below); the report
// interval and the report count live in the shared state file.
class TARVIK_BOARD_EXPORT SensorBoard {
public:
    static constexpr const char* kSection = "sensors";
    // Lying flat, face up: gravity along -Z in the convention of the Windows sensor service.
    static constexpr double kDefaultAccel[3] = {0.0, 0.0, -1.0};
    // Enough for a live page to show movement, far below what a driver would notice.
    static constexpr double kDefaultDriftG = 0.02;
    static constexpr int kDefaultCpuTemperature = 48;
    static constexpr std::uint32_t kDefaultReportIntervalMs = 100;
    // The fastest and slowest report intervals the simulated accelerometer accepts.
    static constexpr std::uint32_t kMinReportIntervalMs = 10;
    static constexpr std::uint32_t kMaxReportIntervalMs = 60000;

    struct Accelerometer {
        double x, y, z; // g
        double driftG;  // largest change added to each axis on a report
    };

    // Opens the board's sensor state, creating it (under the board directory's lock) when missing.
    static Result<std::unique_ptr<SensorBoard>> open(const std::string& dir);

    // The accelerometer and CPU temperature the profile sets.
    static Accelerometer accelerometer(const BoardProfile& profile);
    static int cpuTemperature(const BoardProfile& profile);

    // The drift of each axis on the nth report: within ±driftG, different from one report to the
    // next, the same for the same n (so tests can predict it).
    static std::array<double, 3> drift(double driftG, std::uint32_t report);

    // Takes one accelerometer report: the set values plus the drift of this report.
    std::array<double, 3> takeAccelReport(const Accelerometer& accel);

    std::uint32_t reportIntervalMs();
    // False, leaving the interval as it was, when ms is outside the accepted range; 0 restores the
    // default.
    bool setReportIntervalMs(std::uint32_t ms);
    std::uint32_t reportsTaken();

private:
    explicit SensorBoard(std::unique_ptr<MappedState<SensorBoardState>> state) : state_(std::move(state)) {}
    std::unique_ptr<MappedState<SensorBoardState>> state_;
};

} // namespace tarvik::board
