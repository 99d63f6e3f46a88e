#include "GpsPositionRecord.h"

#include "NmeaNumbers.h"

#include <cstdio>

namespace {

double decimal(int degrees, int minutes, double seconds)
{
    if (degrees == GpsPositionRecord::kNoValueMarker || minutes == GpsPositionRecord::kNoValueMarker)
        return 400.0;
    return degrees + minutes / 60.0 + seconds / 60.0 / 60.0;
}

std::string text(char16_t hemisphere, int degrees, int minutes, double seconds)
{
    char buffer[GpsPositionRecord::kTextBufferSize];
    std::snprintf(buffer, sizeof buffer, "%c%d'%d'%d'", static_cast<char>(hemisphere & 0xFF), degrees, minutes,
                  nmeanumbers::truncateToInt(seconds));
    return buffer; // up to the first NUL, which an empty hemisphere puts first
}

} // namespace

double GpsPositionRecord::latitudeDecimal() const
{
    return decimal(latitudeDegrees, latitudeMinutes, latitudeSeconds);
}

double GpsPositionRecord::longitudeDecimal() const
{
    return decimal(longitudeDegrees, longitudeMinutes, longitudeSeconds);
}

std::string GpsPositionRecord::latitudeText() const
{
    return text(latitudeHemisphere, latitudeDegrees, latitudeMinutes, latitudeSeconds);
}

std::string GpsPositionRecord::longitudeText() const
{
    return text(longitudeHemisphere, longitudeDegrees, longitudeMinutes, longitudeSeconds);
}

std::string GpsPositionRecord::altitudeText() const
{
    return nmeanumbers::fixed6(altitude);
}
