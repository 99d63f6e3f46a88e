#include "VehicleSettings.h"

#include "BoardProfile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarvik::board::j1939 {

namespace {

// The largest values the parameter groups can carry: 0xFAFF / 0xFAFFFFFF are the last valid raw
// values of two- and four-byte J1939 parameters.
constexpr double kMaxEngineRpm = 0xFAFF * 0.125;
constexpr double kMaxSpeedKmh = 0xFAFF / 256.0;
constexpr double kMaxDistanceKm = 0xFAFFFFFFu * 0.125;
constexpr double kMaxFuelLitres = 0xFAFFFFFFu * 0.5;
constexpr double kMaxHours = 0xFAFFFFFFu * 0.05;
constexpr double kMaxBatteryVolts = 100;
constexpr int kMinCelsius = -40;
constexpr int kMaxCelsius = 210;
constexpr int kMaxDivisor = 1000;
constexpr const char* kRoad = "road";
constexpr const char* kNone = "none";

std::optional<double> parseDecimal(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string inRange(const std::string& value, double low, double high, const char* what)
{
    const auto v = parseDecimal(value);
    if (v && *v >= low && *v <= high)
        return {};
    char text[160];
    std::snprintf(text, sizeof text, "expected %s from %g to %.10g", what, low, high);
    return text;
}

void read(const BoardProfile& p, const char* name, double& into)
{
    if (const auto text = p.get(kVehicleSection, name)) {
        if (const auto v = parseDecimal(*text))
            into = *v;
    }
}

void read(const BoardProfile& p, const char* name, int& into)
{
    if (const auto text = p.get(kVehicleSection, name)) {
        if (const auto v = parseDecimal(*text))
            into = static_cast<int>(*v);
    }
}

void readTemperature(const BoardProfile& p, const char* name, std::optional<int>& into)
{
    if (const auto text = p.get(kVehicleSection, name)) {
        if (*text == kNone)
            into.reset();
        else if (const auto v = parseDecimal(*text))
            into = static_cast<int>(*v);
    }
}

} // namespace

VehicleSettings VehicleSettings::fromProfile(const BoardProfile& p)
{
    VehicleSettings s;
    read(p, "EngineSpeed", s.engineSpeedRpm);
    read(p, "VehicleSpeed", s.vehicleSpeedKmh);
    if (const auto tacho = p.get(kVehicleSection, "TachographSpeed"); tacho && *tacho != kRoad)
        s.tachographSpeedKmh = parseDecimal(*tacho);
    read(p, "Odometer", s.odometerKm);
    read(p, "TripDistance", s.tripDistanceKm);
    read(p, "FuelUsed", s.fuelUsedLitres);
    read(p, "BatteryVoltage", s.batteryVolts);
    read(p, "TripIdleTime", s.tripIdleHours);
    readTemperature(p, "CoolantTemperature", s.coolantCelsius);
    readTemperature(p, "FuelTemperature", s.fuelCelsius);
    int cycle = s.driveCycle ? 1 : 0;
    read(p, "DriveCycle", cycle);
    s.driveCycle = cycle != 0;
    read(p, "J1939BroadcastDivisor", s.broadcastDivisor);
    if (s.broadcastDivisor < 1 || s.broadcastDivisor > kMaxDivisor)
        s.broadcastDivisor = 1;
    return s;
}

std::string vehicleProfileText()
{
    const VehicleSettings d;
    std::string t = "\n[vehicle]\n";
    auto line = [&](const char* name, double value) {
        char text[96];
        std::snprintf(text, sizeof text, "%s = %.10g\n", name, value);
        t += text;
    };
    line("EngineSpeed", d.engineSpeedRpm);
    line("VehicleSpeed", d.vehicleSpeedKmh);
    t += std::string("TachographSpeed = ") + kRoad + "\n";
    line("Odometer", d.odometerKm);
    line("TripDistance", d.tripDistanceKm);
    line("FuelUsed", d.fuelUsedLitres);
    line("BatteryVoltage", d.batteryVolts);
    line("TripIdleTime", d.tripIdleHours);
    line("CoolantTemperature", *d.coolantCelsius);
    line("FuelTemperature", *d.fuelCelsius);
    line("DriveCycle", d.driveCycle ? 1 : 0);
    line("J1939BroadcastDivisor", d.broadcastDivisor);
    return t;
}

std::string checkEngineSpeed(const std::string& v) { return inRange(v, 0, kMaxEngineRpm, "rpm"); }
std::string checkRoadSpeed(const std::string& v) { return inRange(v, 0, kMaxSpeedKmh, "km/h"); }
std::string checkTachographSpeed(const std::string& v)
{
    return v == kRoad ? "" : inRange(v, 0, kMaxSpeedKmh, "'road' or km/h");
}
std::string checkDistance(const std::string& v) { return inRange(v, 0, kMaxDistanceKm, "km"); }
std::string checkFuel(const std::string& v) { return inRange(v, 0, kMaxFuelLitres, "litres"); }
std::string checkBatteryVoltage(const std::string& v) { return inRange(v, 0, kMaxBatteryVolts, "volts"); }
std::string checkHours(const std::string& v) { return inRange(v, 0, kMaxHours, "hours"); }
std::string checkVehicleTemperature(const std::string& v)
{
    if (v == kNone)
        return {};
    const auto d = parseDecimal(v);
    return d && *d == std::floor(*d) && *d >= kMinCelsius && *d <= kMaxCelsius
               ? ""
               : "expected whole degrees Celsius from -40 to 210, or 'none'";
}
std::string checkDriveCycle(const std::string& v) { return v == "0" || v == "1" ? "" : "expected 0 or 1"; }
std::string checkBroadcastDivisor(const std::string& v)
{
    const auto d = parseDecimal(v);
    return d && *d == std::floor(*d) && *d >= 1 && *d <= kMaxDivisor ? "" : "expected a whole number from 1 to 1000";
}

std::string checkStatusLine(const std::string& v)
{
    for (const char* known : {"NO DATA", "CAN ERROR", "BUS BUSY", "BUS ERROR", "DATA ERROR", "BUFFER FULL"}) {
        if (v == known)
            return {};
    }
    return "expected NO DATA, CAN ERROR, BUS BUSY, BUS ERROR, DATA ERROR or BUFFER FULL";
}

} // namespace tarvik::board::j1939
