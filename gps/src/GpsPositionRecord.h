#pragma once

#include <string>

// The last fix the GGA decoder produced, as the library's exports report it. Degrees and whole
// minutes as decoded, seconds with their fraction; the hemisphere letters as received (one byte
// widened to one character), 0 when the field was empty.
struct GpsPositionRecord {
    // A coordinate whose degrees or whole minutes equal this has no value: it reads as 400.0.
    static constexpr int kNoValueMarker = 400;
    // The text forms are made in a buffer of this many characters, as the callers have always had
    // them (the altitude, which can be longer, is not cut).
    static constexpr int kTextBufferSize = 101;

    int latitudeDegrees = 0;
    int longitudeDegrees = 0;
    int latitudeMinutes = 0;
    int longitudeMinutes = 0;
    double latitudeSeconds = 0.0;
    double longitudeSeconds = 0.0;
    double altitude = 0.0;
    char16_t latitudeHemisphere = 0;
    char16_t longitudeHemisphere = 0;
    int satellites = -1;
    bool fix = false;

    // Degrees + minutes / 60 + seconds / 3600, or 400.0 for the marker; the hemisphere is not
    // applied (south and west come out positive).
    double latitudeDecimal() const;
    double longitudeDecimal() const;
    // "%c%d'%d'%d'": hemisphere, degrees, minutes, seconds truncated toward zero, e.g. N25'3'7'.
    // Empty when the hemisphere is 0 (it ends the text at once).
    std::string latitudeText() const;
    std::string longitudeText() const;
    // "%f" of the altitude.
    std::string altitudeText() const;
};
