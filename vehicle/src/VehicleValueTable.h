#pragma once

#include <array>
#include <string_view>

namespace tarvik::vehicle {

// Every value the library reads, one row each: the monitoring command (its last six digits name
// the parameter group), the data-line fields holding the value and how the raw number becomes the
// result.
enum class VehicleValue {
    EngineSpeed,
    VehicleSpeed,
    TachographSpeed,
    Odometer,
    TripDistance,
    FuelUsed,
    BatteryVoltage,
    TripIdleTime,
    CoolantAndFuelTemperature,
};

enum class Conversion {
    TruncatedText, // raw to single precision, times the factor in double precision, toward zero; "%d"
    TruncatedLong, // raw times the factor in double precision, toward zero
    Hours,         // raw to single precision, times the factor in double precision, kept as float
    Temperature,   // raw - 40, for two one-byte fields
};

struct ValueRequest {
    VehicleValue value;
    std::string_view command;
    int first;  // first and last data-line field, inclusive
    int last;
    double factor;
    Conversion conversion;
};

// Coolant is field 3 of the temperature group, fuel field 4 (data bytes 1 and 2).
inline constexpr int kFuelTemperatureField = 4;
inline constexpr long kTemperatureOffset = 40;

inline constexpr std::array<ValueRequest, 9> kValueTable = {{
    // EEC1: engine speed, data bytes 4-5, 0.125 rpm per bit.
    {VehicleValue::EngineSpeed, "ATMP00F004\r", 6, 7, 0.125, Conversion::TruncatedText},
    // CCVS: wheel-based vehicle speed, data bytes 2-3, 1/256 km/h per bit.
    {VehicleValue::VehicleSpeed, "ATMP00FEF1\r", 4, 5, 0.00390625, Conversion::TruncatedText},
    // TCO1: tachograph vehicle speed, data bytes 7-8, 1/256 km/h per bit.
    {VehicleValue::TachographSpeed, "ATMP00FE6C\r", 9, 10, 0.00390625, Conversion::TruncatedText},
    // VD: total vehicle distance, data bytes 5-8, 0.125 km per bit.
    {VehicleValue::Odometer, "ATMP00FEE0\r", 7, 10, 0.125, Conversion::TruncatedLong},
    // VD: trip distance, data bytes 1-4, 0.125 km per bit.
    {VehicleValue::TripDistance, "ATMP00FEE0\r", 3, 6, 0.125, Conversion::TruncatedLong},
    // LFC: total fuel used, data bytes 5-8, 0.5 l per bit.
    {VehicleValue::FuelUsed, "ATMP00FEE9\r", 7, 10, 0.5, Conversion::TruncatedLong},
    // VEP1: battery potential, data bytes 5-6, 0.05 V per bit.
    {VehicleValue::BatteryVoltage, "ATMP00FEF7\r", 7, 8, 0.05, Conversion::TruncatedLong},
    // Trip idle time, data bytes 13-16, 0.05 h per bit.
    {VehicleValue::TripIdleTime, "ATMP00FEB0\r", 15, 18, 0.05, Conversion::Hours},
    // ET1: coolant temperature data byte 1, fuel temperature data byte 2, 1 degree C per bit, -40.
    {VehicleValue::CoolantAndFuelTemperature, "ATMP00FEEE\r", 3, 3, 1.0, Conversion::Temperature},
}};

constexpr const ValueRequest& valueRequest(VehicleValue value)
{
    return kValueTable[static_cast<std::size_t>(value)];
}

// Switches the interpreter to J1939 as the value commands need it, in this order: line feeds on,
// protocol A (SAE J1939 on CAN), headers on, CAN automatic formatting on, the STN1110's CAN
// monitoring mode 1.
inline constexpr std::array<std::string_view, 5> kInitCommands = {
    "ATL1\r", "ATSPA\r", "ATH1\r", "ATCAF1\r", "STCMM1\r",
};

// Stops monitoring (a bare CR) and brings the prompt back.
inline constexpr std::string_view kStopCommand = "\r";

int truncatedText(long raw, double factor);
long truncatedLong(long raw, double factor);
float hours(long raw, double factor);

} // namespace tarvik::vehicle
