#pragma once

namespace tarvik::board::j1939 {

struct VehicleSettings;

// How the vehicle moves at one moment.
struct Motion {
    double engineSpeedRpm;
    double roadSpeedKmh;
};

// What grows while the vehicle runs.
struct Counters {
    double odometerKm;
    double tripDistanceKm;
    double fuelUsedLitres;
    double tripIdleHours;
};

// The simulated vehicle's physics, without clocks: speeds as set or from the drive cycle, and the
// counters grown over a stretch of time.
class VehicleDynamics {
public:
    // The drive cycle repeats every kCycleSeconds: idle, town driving, a stretch of road, braking.
    static constexpr double kCycleSeconds = 120;

    static Motion driveCycle(double secondsIntoCycle);
    // Motion at a time (seconds on the monotonic clock): the set speeds, or the cycle's.
    static Motion motionAt(const VehicleSettings& settings, double seconds);
    // Litres per hour: a truck engine idles on about 2.6 l/h and cruises at 80 km/h on about 26.
    static double fuelRateLitresPerHour(const Motion& motion);
    // The engine turns and the wheels do not.
    static bool idling(const Motion& motion);
    // Grows the counters over [fromSeconds, toSeconds).
    static void advance(Counters& counters, const VehicleSettings& settings, double fromSeconds, double toSeconds);
};

} // namespace tarvik::board::j1939
