#pragma once

#include <optional>
#include <string>

// The GPS position as the pages use it: read from the GPS library with its sign, and shown on a
// web map.
//
// The library's decimal position carries no sign (south and west come out positive); only the
// text position names the hemisphere. The pages give the decimal position the sign of those
// letters, so a fix at 33.68 S, 70.6 W opens the map at -33.68…,-70.6… and not in the north-east.

// The value of both coordinates while no position is known.
inline constexpr double kNoPosition = 255.0;
// The longest map address the pages open (a longer one is refused, never cut).
inline constexpr std::size_t kMapAddressMaxChars = 259;

inline constexpr wchar_t kNoPositionMessage[] = L"Can't get GPS postion now!";
inline constexpr wchar_t kMapAddressTooLongMessage[] = L"Map address too long!";

// The coordinate with the sign of its hemisphere letter: 'S' and 'W' negative, anything else
// (N, E, none) as given.
double SignedCoordinate(double magnitude, char hemisphere);

// One reading of the GPS library's last fix.
struct GpsReading {
    // vS_GPSPosition: the two texts ("N25'3'7'"), each empty when its hemisphere field was.
    bool hasText = false;
    std::string latitudeText;
    std::string longitudeText;
    // vS_GPSPositionDouble as the library gives it (no sign), and whether it succeeded.
    bool hasDecimal = false;
    double decimalLatitude = 0;
    double decimalLongitude = 0;
    // The position with its sign; kNoPosition in both unless the texts and the decimal position
    // were both read (a fix lost between the two calls gives no position rather than a guessed sign).
    double latitude = kNoPosition;
    double longitude = kNoPosition;
    bool hasPosition() const { return hasText && hasDecimal; }
};

// Reads the texts (released with vS_GPSFree) and then the decimal position. Any thread.
GpsReading ReadGpsPosition();

// The map address: prefix, then latitude and longitude as "%6f,%6f" (six decimals, '.' whatever
// the locale). Nothing when it would be longer than kMapAddressMaxChars.
std::optional<std::wstring> BuildMapAddress(const std::wstring& prefix, double latitude, double longitude);

// The pages' map button, on the interface thread: with no position (255) the message box
// kNoPositionMessage; else the address from VEHICLE_STATUS/MAP_URL_PREFIX, traced as
// "<handler>: url=%s" and opened with OpenInBrowser. An address that would be too long is traced
// and told to the user with the message box, and not opened. True when the browser was asked.
bool OpenPositionOnMap(const wchar_t* handler, double latitude, double longitude);
