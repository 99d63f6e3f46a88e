#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tarvik::board::gps {

// Faults of the simulated GPS receiver (rows of the board's fault catalogue).
inline constexpr const char* kFaultSilent = "gps-silent";   // powered, but sends nothing
inline constexpr const char* kFaultGarbage = "gps-garbage"; // sends noise with broken sentence starts
inline constexpr const char* kFaultNoFix = "gps-no-fix";    // searching: quality 0, empty fields

// The receiver as the profile's [gps] section describes it. A value that is missing or does not
// pass its check keeps the default. Its port is not among them: the device list gives it.
struct GpsReceiverSettings {
    unsigned baud = 9600;
    unsigned updateRate = 1;     // epochs per second
    std::string talker = "GP";   // GP: GPS only; GN: GPS and GLONASS
    int fixQuality = 1;          // GGA field 6
    double latitude = 25.052083; // where the route starts; negative = south
    double longitude = 121.529722; // negative = west
    double altitude = 12.5;      // metres above mean sea level
    double speedKmh = 40.0;      // along the route; 0 stands still
    int satellites = 8;          // in use while there is a fix

    // Reads the values through get(name) (the profile's [gps] section).
    static GpsReceiverSettings from(const std::function<std::optional<std::string>(const std::string& name)>& get);

    // The checks of `tarvik-board set`: empty when the value is acceptable, else what is wrong.
    static std::string checkBaud(const std::string& value);
    static std::string checkUpdateRate(const std::string& value);
    static std::string checkTalker(const std::string& value);
    static std::string checkFixQuality(const std::string& value);
    static std::string checkLatitude(const std::string& value);
    static std::string checkLongitude(const std::string& value);
    static std::string checkAltitude(const std::string& value);
    static std::string checkSpeed(const std::string& value);
    static std::string checkSatellites(const std::string& value);

    // Decimal degrees, signed or with a hemisphere letter after them ("33.68S", "151.29 E").
    static std::optional<double> parseCoordinate(const std::string& value, char positive, char negative, double limit);
};

// The [gps] section of a new board's profile, with the defaults above.
std::string gpsProfileText();

} // namespace tarvik::board::gps
