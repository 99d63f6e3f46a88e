#pragma once

#include <optional>
#include <string>

namespace tarvik::board {
class BoardProfile;
}

namespace tarvik::board::j1939 {

// The profile's [vehicle] section: what the simulated vehicle does and where its counters start.
inline constexpr const char* kVehicleSection = "vehicle";

struct VehicleSettings {
    double engineSpeedRpm = 1500;
    double vehicleSpeedKmh = 80;
    std::optional<double> tachographSpeedKmh; // none: the tachograph shows the road speed
    double odometerKm = 123456.5;
    double tripDistanceKm = 321.25;
    double fuelUsedLitres = 45678.5;
    double batteryVolts = 27.6;
    double tripIdleHours = 512.35;
    std::optional<int> coolantCelsius = 85; // none ("none" in the profile): no such sensor
    std::optional<int> fuelCelsius = 45;
    bool driveCycle = false;    // speeds follow a repeating two-minute town-and-road cycle
    int broadcastDivisor = 1;   // every broadcast period is divided by this (fast tests)

    // Values missing from the profile keep their defaults; unreadable ones too (the profile is a
    // file people edit, and `set` checks what it writes).
    static VehicleSettings fromProfile(const BoardProfile& profile);
};

// The profile lines of a new board.
std::string vehicleProfileText();

// Checks for `tarvik-board set`: empty when the value is acceptable, else what is wrong with it.
std::string checkEngineSpeed(const std::string& value);
std::string checkRoadSpeed(const std::string& value);
std::string checkTachographSpeed(const std::string& value);
std::string checkDistance(const std::string& value);
std::string checkFuel(const std::string& value);
std::string checkBatteryVoltage(const std::string& value);
std::string checkHours(const std::string& value);
std::string checkVehicleTemperature(const std::string& value);
std::string checkDriveCycle(const std::string& value);
std::string checkBroadcastDivisor(const std::string& value);

// The status lines the interpreter may print instead of data (fault j1939-status).
std::string checkStatusLine(const std::string& value);

} // namespace tarvik::board::j1939

namespace tarvik::board::j1939 {

// The interpreter's faults in the board's fault list.
inline constexpr const char* kFaultSilent = "j1939-silent";
inline constexpr const char* kFaultNoPrompt = "j1939-no-prompt";
inline constexpr const char* kFaultGarbage = "j1939-garbage";
inline constexpr const char* kFaultStatus = "j1939-status";

} // namespace tarvik::board::j1939
