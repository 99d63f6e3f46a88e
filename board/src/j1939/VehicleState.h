#pragma once

#include <cstdint>

namespace tarvik::board::j1939 {

// The simulated vehicle's counters, in "vehicle.mem" beside the board's other state, so that every
// process (the interpreter peer, `show`, the power library's stand-in) sees one vehicle. Plain data:
// the layout is the file format; change it only together with kVersion.
struct VehicleState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'V', 'E', 'H', 'C', 'L'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "vehicle.mem";

    // The profile values the counters last started from: when the profile's value changes (set,
    // or an edit), the counter starts again from the new value.
    double baseOdometerKm;
    double baseTripDistanceKm;
    double baseFuelUsedLitres;
    double baseTripIdleHours;

    double odometerKm;
    double tripDistanceKm;
    double fuelUsedLitres;
    double tripIdleHours;

    std::int64_t lastUpdateNs; // CLOCK_MONOTONIC of the last advance
    std::uint8_t started;      // 0 until the first look
};

} // namespace tarvik::board::j1939
