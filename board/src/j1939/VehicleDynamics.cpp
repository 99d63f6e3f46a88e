#include "VehicleDynamics.h"

#include "VehicleSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tarvik::board::j1939 {

namespace {

struct CyclePoint {
    double seconds;
    double kmh;
    double rpm;
};

// Linear between the points; the last point equals the first so the cycle joins up.
constexpr CyclePoint kCycle[] = {
    {0, 0, 650},    {15, 0, 650},   {30, 50, 1700}, {60, 50, 1300},
    {75, 80, 1600}, {100, 80, 1500}, {115, 0, 700},  {120, 0, 650},
};

constexpr double kIdleLitresPerHour = 0.004;  // per rpm
constexpr double kDrivingLitresPerHour = 0.25; // per km/h
constexpr double kStandstillKmh = 1.0;
constexpr double kSecondsPerHour = 3600;
// Cycle speeds change within seconds, so the counters are integrated in steps this long; a board
// left alone for weeks is caught up with the cycle's average instead of millions of steps.
constexpr double kStepSeconds = 0.5;
constexpr double kMaxStepsAtOnce = 200000;

} // namespace

Motion VehicleDynamics::driveCycle(double secondsIntoCycle)
{
    double t = std::fmod(secondsIntoCycle, kCycleSeconds);
    if (t < 0)
        t += kCycleSeconds;
    for (std::size_t i = 1; i < std::size(kCycle); ++i) {
        const CyclePoint& a = kCycle[i - 1];
        const CyclePoint& b = kCycle[i];
        if (t <= b.seconds) {
            const double f = (t - a.seconds) / (b.seconds - a.seconds);
            return {a.rpm + f * (b.rpm - a.rpm), a.kmh + f * (b.kmh - a.kmh)};
        }
    }
    return {kCycle[0].rpm, kCycle[0].kmh};
}

Motion VehicleDynamics::motionAt(const VehicleSettings& s, double seconds)
{
    if (s.driveCycle)
        return driveCycle(seconds);
    return {s.engineSpeedRpm, s.vehicleSpeedKmh};
}

double VehicleDynamics::fuelRateLitresPerHour(const Motion& m)
{
    if (m.engineSpeedRpm <= 0)
        return 0;
    return kIdleLitresPerHour * m.engineSpeedRpm + kDrivingLitresPerHour * m.roadSpeedKmh;
}

bool VehicleDynamics::idling(const Motion& m) { return m.engineSpeedRpm > 0 && m.roadSpeedKmh < kStandstillKmh; }

void VehicleDynamics::advance(Counters& c, const VehicleSettings& s, double from, double to)
{
    if (!(to > from))
        return;
    auto grow = [&c](const Motion& m, double seconds) {
        const double hours = seconds / kSecondsPerHour;
        c.odometerKm += m.roadSpeedKmh * hours;
        c.tripDistanceKm += m.roadSpeedKmh * hours;
        c.fuelUsedLitres += fuelRateLitresPerHour(m) * hours;
        if (idling(m))
            c.tripIdleHours += hours;
    };
    if (!s.driveCycle) {
        grow(motionAt(s, from), to - from);
        return;
    }
    double t = from;
    if ((to - from) / kStepSeconds > kMaxStepsAtOnce) {
        // Whole cycles at their average, then the remainder step by step.
        Counters one{0, 0, 0, 0};
        Counters saved = c;
        c = one;
        for (double u = 0; u < kCycleSeconds; u += kStepSeconds)
            grow(driveCycle(u + kStepSeconds / 2), kStepSeconds);
        one = c;
        c = saved;
        const double cycles = std::floor((to - from) / kCycleSeconds);
        c.odometerKm += one.odometerKm * cycles;
        c.tripDistanceKm += one.tripDistanceKm * cycles;
        c.fuelUsedLitres += one.fuelUsedLitres * cycles;
        c.tripIdleHours += one.tripIdleHours * cycles;
        t = from + cycles * kCycleSeconds;
    }
    while (t < to) {
        const double step = std::min(kStepSeconds, to - t);
        grow(driveCycle(t + step / 2), step);
        t += step;
    }
}

} // namespace tarvik::board::j1939
