#pragma once

#include "BoardResult.h"
#include "TarvikBoardExport.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvik::board {

template <class State>
class MappedState;
namespace j1939 {
struct VehicleState;
struct VehicleSettings;
} // namespace j1939

// The simulated vehicle at one moment, in the units a driver reads.
struct VehicleValues {
    double engineSpeedRpm;
    double roadSpeedKmh;
    double tachographSpeedKmh;
    double odometerKm;
    double tripDistanceKm;
    double fuelUsedLitres;
    double batteryVolts;
    double tripIdleHours;
    std::optional<int> coolantCelsius; // none: the vehicle has no such sensor (sent as not available)
    std::optional<int> fuelCelsius;
};

// The board's vehicle: speeds, voltage and temperatures as the profile's [vehicle] section sets
// them (or from the drive cycle), and distances, fuel used and idle time growing with time from
// the profile's values. Shared by every process through "vehicle.mem" in the board folder.
class TARVIK_BOARD_EXPORT VehicleModel {
public:
    // Opens the vehicle of a board, creating its state file when missing.
    static Result<std::unique_ptr<VehicleModel>> open(const std::string& boardDir);
    // Lets the counters start again from the profile at the next look, in place, so that processes
    // using the vehicle see it; removes a damaged file. For `create`, which holds the board's lock.
    static void resetIfPresent(const std::string& boardDir);
    ~VehicleModel();
    VehicleModel(const VehicleModel&) = delete;
    VehicleModel& operator=(const VehicleModel&) = delete;

    // The vehicle now (CLOCK_MONOTONIC), or at a given time in nanoseconds of that clock. Times
    // earlier than the last look do not move the counters back.
    Result<VehicleValues> now();
    Result<VehicleValues> at(std::int64_t monotonicNs);

    // The profile's J1939BroadcastDivisor (1 when unset), read as of the last now()/at().
    int broadcastDivisor() const;

    static std::int64_t monotonicNs();

private:
    VehicleModel(std::string boardDir, std::unique_ptr<MappedState<j1939::VehicleState>> state);
    Status refreshSettings();

    std::string boardDir_;
    std::unique_ptr<MappedState<j1939::VehicleState>> state_;
    std::unique_ptr<j1939::VehicleSettings> settings_;
    struct ProfileStamp {
        std::int64_t modifiedNs = -1;
        std::int64_t inode = -1;
        std::int64_t size = -1;
        bool operator==(const ProfileStamp&) const = default;
    };
    ProfileStamp profileStamp_;
};

// The vehicle battery's voltage now, in millivolts: what the interpreter's supply pin and the
// power library's voltage input see.
TARVIK_BOARD_EXPORT Result<int> vehicleBatteryMillivolts(const std::string& boardDir);

} // namespace tarvik::board
