#include "GpsRoute.h"

#include <algorithm>
#include <cmath>

namespace tarvik::board::gps {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0; // of latitude, and of longitude at the equator
constexpr double kMaxLatitude = 89.99;
} // namespace

GpsRoute::GpsRoute(double latitude, double longitude, double speedKmh)
    : latitude_(latitude)
    , longitude_(longitude)
    , speedKmh_(speedKmh)
{
}

GpsRoute::Fix GpsRoute::at(double seconds) const
{
    const double metresPerSecond = speedKmh_ / 3.6;
    const double angle = metresPerSecond * seconds / kRadiusMetres; // radians travelled round the circle
    // Offsets from the starting point; the circle's centre lies kRadiusMetres north of it.
    const double north = kRadiusMetres * (1.0 - std::cos(angle));
    const double east = kRadiusMetres * std::sin(angle);
    Fix f;
    f.latitude = std::clamp(latitude_ + north / kMetresPerDegree, -kMaxLatitude, kMaxLatitude);
    double lon = longitude_ + east / (kMetresPerDegree * std::cos(latitude_ * kPi / 180.0));
    if (lon > 180.0)
        lon -= 360.0;
    if (lon <= -180.0)
        lon += 360.0;
    f.longitude = lon;
    double course = std::atan2(std::cos(angle), std::sin(angle)) * 180.0 / kPi;
    if (course < 0)
        course += 360.0;
    f.course = speedKmh_ > 0 ? course : 0.0;
    f.speedKmh = speedKmh_;
    return f;
}

} // namespace tarvik::board::gps
