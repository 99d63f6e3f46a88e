#include "GpsReceiverSettings.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tarvik::board::gps {

namespace {

std::optional<long long> integer(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return v;
}

std::optional<double> real(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string inRange(const std::string& value, long long low, long long high, const char* what)
{
    const auto v = integer(value);
    return v && *v >= low && *v <= high ? "" : std::string("expected ") + what;
}

std::string realInRange(const std::string& value, double low, double high, const char* what)
{
    const auto v = real(value);
    return v && *v >= low && *v <= high ? "" : std::string("expected ") + what;
}

} // namespace

std::optional<double> GpsReceiverSettings::parseCoordinate(const std::string& value, char positive, char negative,
                                                           double limit)
{
    std::string number = value;
    double sign = 1.0;
    while (!number.empty() && number.back() == ' ')
        number.pop_back();
    if (!number.empty() && (number.back() == positive || number.back() == negative)) {
        sign = number.back() == negative ? -1.0 : 1.0;
        number.pop_back();
        while (!number.empty() && number.back() == ' ')
            number.pop_back();
        if (!number.empty() && (number[0] == '-' || number[0] == '+'))
            return std::nullopt; // a sign and a letter say the same twice
    }
    const auto v = real(number);
    if (!v || std::abs(*v) > limit)
        return std::nullopt;
    return sign * *v;
}

std::string GpsReceiverSettings::checkBaud(const std::string& v) { return inRange(v, 300, 4000000, "a baud rate from 300 to 4000000"); }
std::string GpsReceiverSettings::checkUpdateRate(const std::string& v) { return inRange(v, 1, 10, "1 to 10 fixes a second"); }
std::string GpsReceiverSettings::checkTalker(const std::string& v) { return v == "GP" || v == "GN" ? "" : "expected GP or GN"; }
std::string GpsReceiverSettings::checkFixQuality(const std::string& v) { return inRange(v, 0, 8, "a GGA fix quality from 0 to 8"); }
std::string GpsReceiverSettings::checkLatitude(const std::string& v)
{
    return parseCoordinate(v, 'N', 'S', 89.9) ? "" : "expected degrees up to 89.9, negative or with S for south";
}
std::string GpsReceiverSettings::checkLongitude(const std::string& v)
{
    return parseCoordinate(v, 'E', 'W', 180.0) ? "" : "expected degrees up to 180, negative or with W for west";
}
std::string GpsReceiverSettings::checkAltitude(const std::string& v) { return realInRange(v, -1000, 20000, "metres from -1000 to 20000"); }
std::string GpsReceiverSettings::checkSpeed(const std::string& v) { return realInRange(v, 0, 300, "km/h from 0 to 300"); }
std::string GpsReceiverSettings::checkSatellites(const std::string& v) { return inRange(v, 0, 24, "0 to 24 satellites"); }

GpsReceiverSettings GpsReceiverSettings::from(const std::function<std::optional<std::string>(const std::string&)>& get)
{
    GpsReceiverSettings s;
    auto take = [&](const char* name, std::string (*check)(const std::string&)) -> std::optional<std::string> {
        const auto v = get(name);
        if (!v || !check(*v).empty())
            return std::nullopt;
        return v;
    };
    if (const auto v = take("GPSBaudRate", checkBaud))
        s.baud = static_cast<unsigned>(*integer(*v));
    if (const auto v = take("GPSUpdateRate", checkUpdateRate))
        s.updateRate = static_cast<unsigned>(*integer(*v));
    if (const auto v = take("GPSTalker", checkTalker))
        s.talker = *v;
    if (const auto v = take("GPSFixQuality", checkFixQuality))
        s.fixQuality = static_cast<int>(*integer(*v));
    if (const auto v = take("GPSLatitude", checkLatitude))
        s.latitude = *parseCoordinate(*v, 'N', 'S', 89.9);
    if (const auto v = take("GPSLongitude", checkLongitude))
        s.longitude = *parseCoordinate(*v, 'E', 'W', 180.0);
    if (const auto v = take("GPSAltitude", checkAltitude))
        s.altitude = *real(*v);
    if (const auto v = take("GPSSpeed", checkSpeed))
        s.speedKmh = *real(*v);
    if (const auto v = take("GPSSatellites", checkSatellites))
        s.satellites = static_cast<int>(*integer(*v));
    return s;
}

std::string gpsProfileText()
{
    return "\n[gps]\n"
           "GPSBaudRate = 9600\n"
           "GPSUpdateRate = 1\n"
           "GPSTalker = GP\n"
           "GPSFixQuality = 1\n"
           "GPSLatitude = 25.052083\n"
           "GPSLongitude = 121.529722\n"
           "GPSAltitude = 12.5\n"
           "GPSSpeed = 40\n"
           "GPSSatellites = 8\n";
}

} // namespace tarvik::board::gps
