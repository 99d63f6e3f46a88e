#include "J1939Groups.h"

#include "VehicleModel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarvik::board::j1939 {

namespace {

// The last valid raw values of one-, two- and four-byte parameters; above them lie the error
// and not-available codes.
constexpr double kMax8 = 0xFA;
constexpr double kMax16 = 0xFAFF;
constexpr double kMax32 = 0xFAFFFFFFu;
constexpr std::uint8_t kNotAvailable = 0xFF;
constexpr std::uint8_t kPercentOffset = 125;
constexpr int kTemperatureOffset = 40;
constexpr double kOilTemperatureOffset = 273;

// Source addresses (J1939 preferred addresses).
constexpr std::uint8_t kEngine = 0x00;
constexpr std::uint8_t kInstrumentCluster = 0x17;
constexpr std::uint8_t kTachograph = 0xEE;

std::uint32_t raw(double value, double resolution, double max, double offset = 0)
{
    const double r = std::round((value + offset) / resolution);
    return static_cast<std::uint32_t>(std::clamp(r, 0.0, max));
}

// Data byte n (1-based, as J1939 numbers them), least significant byte first.
void put16(std::vector<std::uint8_t>& d, int n, std::uint32_t v)
{
    d[n - 1] = static_cast<std::uint8_t>(v);
    d[n] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::vector<std::uint8_t>& d, int n, std::uint32_t v)
{
    put16(d, n, v & 0xFFFF);
    put16(d, n + 2, v >> 16);
}

bool running(const VehicleValues& v) { return v.engineSpeedRpm > 0; }
bool moving(const VehicleValues& v) { return v.roadSpeedKmh >= 1; }

// Load in percent, for the torque bytes: light at idle, more on the move.
std::uint8_t torqueByte(const VehicleValues& v)
{
    const int percent = !running(v) ? 0 : moving(v) ? 40 : 5;
    return static_cast<std::uint8_t>(kPercentOffset + percent);
}

// EEC1 (61444): 1 torque mode, 2 driver's demand torque, 3 actual torque, 4-5 engine speed
// 0.125 rpm/bit, 6 controlling address, 7 starter mode, 8 engine demand torque.
std::vector<std::uint8_t> eec1(const VehicleValues& v)
{
    std::vector<std::uint8_t> d{0xF0, torqueByte(v), torqueByte(v), 0, 0, kEngine, 0xF0, torqueByte(v)};
    put16(d, 4, raw(v.engineSpeedRpm, 0.125, kMax16));
    return d;
}

// TCO1 (65132): 1 driver working states and vehicle motion, 2-4 driver and system states, 5-6
// output shaft speed 0.125 rpm/bit, 7-8 tachograph vehicle speed 1/256 km/h per bit.
std::vector<std::uint8_t> tco1(const VehicleValues& v)
{
    const bool move = v.tachographSpeedKmh >= 1;
    const std::uint8_t states = move ? 0x43 : 0x00; // driver 1 driving, vehicle in motion
    std::vector<std::uint8_t> d{states, 0x00, 0x00, 0x00, 0, 0, 0, 0};
    constexpr double kShaftRpmPerKmh = 20;
    put16(d, 5, raw(v.tachographSpeedKmh * kShaftRpmPerKmh, 0.125, kMax16));
    put16(d, 7, raw(v.tachographSpeedKmh, 1.0 / 256, kMax16));
    return d;
}

// TTI2 (65200), 20 bytes: 1-4 trip cruise time, 5-8 trip PTO time, 9-12 trip engine running
// time, 13-16 trip idle time, 17-20 trip air compressor on time, each 0.05 h/bit.
std::vector<std::uint8_t> tti2(const VehicleValues& v)
{
    std::vector<std::uint8_t> d(20, kNotAvailable);
    put32(d, 13, raw(v.tripIdleHours, 0.05, kMax32));
    return d;
}

// VD (65248): 1-4 trip distance, 5-8 total vehicle distance, 0.125 km/bit.
std::vector<std::uint8_t> vd(const VehicleValues& v)
{
    std::vector<std::uint8_t> d(8);
    put32(d, 1, raw(v.tripDistanceKm, 0.125, kMax32));
    put32(d, 5, raw(v.odometerKm, 0.125, kMax32));
    return d;
}

// LFC (65257): 1-4 trip fuel (not kept), 5-8 total fuel used, 0.5 l/bit.
std::vector<std::uint8_t> lfc(const VehicleValues& v)
{
    std::vector<std::uint8_t> d(8, kNotAvailable);
    put32(d, 5, raw(v.fuelUsedLitres, 0.5, kMax32));
    return d;
}

// ET1 (65262): 1 coolant, 2 fuel temperature, 1 degree C/bit offset -40; 3-4 oil temperature
// 0.03125 degree C/bit offset -273; 5-8 turbo oil and intercooler (not kept). A sensor the vehicle
// lacks stays not available; the oil value follows the coolant.
std::vector<std::uint8_t> et1(const VehicleValues& v)
{
    std::vector<std::uint8_t> d(8, kNotAvailable);
    if (v.coolantCelsius) {
        d[0] = static_cast<std::uint8_t>(raw(*v.coolantCelsius, 1, kMax8, kTemperatureOffset));
        constexpr double kOilAboveCoolant = 10;
        put16(d, 3, raw(*v.coolantCelsius + kOilAboveCoolant, 0.03125, kMax16, kOilTemperatureOffset));
    }
    if (v.fuelCelsius)
        d[1] = static_cast<std::uint8_t>(raw(*v.fuelCelsius, 1, kMax8, kTemperatureOffset));
    return d;
}

// CCVS (65265): 1 axle, parking brake and cruise switches, 2-3 wheel-based vehicle speed 1/256
// km/h per bit, 4-8 cruise control and PTO states.
std::vector<std::uint8_t> ccvs(const VehicleValues& v)
{
    const std::uint8_t parkingBrakeSet = moving(v) ? 0x00 : 0x04;
    std::vector<std::uint8_t> d{static_cast<std::uint8_t>(0xF3 | parkingBrakeSet), 0, 0, 0x00, 0x00, 0x00, 0x00, 0xC0};
    put16(d, 2, raw(v.roadSpeedKmh, 1.0 / 256, kMax16));
    return d;
}

// VEP1 (65271): 1 net battery current 1 A/bit offset -125, 2 alternator current 1 A/bit, 3-4
// charging system potential, 5-6 battery potential, 7-8 key switch potential, 0.05 V/bit.
std::vector<std::uint8_t> vep1(const VehicleValues& v)
{
    constexpr std::uint8_t kAlternatorAmps = 30;
    constexpr double kChargingAboveBattery = 0.2;
    std::vector<std::uint8_t> d{kPercentOffset, static_cast<std::uint8_t>(running(v) ? kAlternatorAmps : 0), 0, 0, 0, 0, 0, 0};
    put16(d, 3, raw(running(v) ? v.batteryVolts + kChargingAboveBattery : 0, 0.05, kMax16));
    put16(d, 5, raw(v.batteryVolts, 0.05, kMax16));
    put16(d, 7, raw(v.batteryVolts, 0.05, kMax16));
    return d;
}

// Broadcast periods as J1939-71 gives them; the trip times are sent on request on a real bus and
// once a second here, so that monitoring them finds them.
constexpr std::array<ParameterGroup, 8> kGroups = {{
    {0xF004, "EEC1", 3, kEngine, 20, eec1},
    {0xFE6C, "TCO1", 3, kTachograph, 50, tco1},
    {0xFEB0, "TTI2", 6, kEngine, 1000, tti2},
    {0xFEE0, "VD", 6, kInstrumentCluster, 100, vd},
    {0xFEE9, "LFC", 6, kEngine, 1000, lfc},
    {0xFEEE, "ET1", 6, kEngine, 1000, et1},
    {0xFEF1, "CCVS", 6, kEngine, 100, ccvs},
    {0xFEF7, "VEP1", 6, kEngine, 1000, vep1},
}};

} // namespace

std::span<const ParameterGroup> parameterGroups() { return kGroups; }

const ParameterGroup* findParameterGroup(std::uint32_t pgn)
{
    for (const ParameterGroup& g : kGroups) {
        if (g.pgn == pgn)
            return &g;
    }
    return nullptr;
}

} // namespace tarvik::board::j1939
