#include "GpsPosition.h"

#include "AppPaths.h"
#include "ConfigDefaults.h"
#include "GU_MyMessageboxDlg.h"
#include "Navorin.h"
#include "ShellOperations.h"
#include "Trace.h"

#include <charconv>

namespace {

// The prefix is read into a buffer of this many characters, so it is cut at one less.
constexpr std::uint32_t kPrefixChars = kMapAddressMaxChars + 1;
constexpr int kDecimals = 6;

std::wstring Fixed(double value)
{
    // to_chars rather than printf: the interface thread runs in the user's locale, whose decimal
    // comma would break the address.
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kDecimals);
    return std::wstring(text, result.ptr);
}

std::string TakeText(char* text)
{
    std::string copy = text ? text : "";
    vS_GPSFree(text);
    return copy;
}

} // namespace

double SignedCoordinate(double magnitude, char hemisphere)
{
    return hemisphere == 'S' || hemisphere == 'W' ? -magnitude : magnitude;
}

GpsReading ReadGpsPosition()
{
    GpsReading reading;
    char* longitude = nullptr;
    char* latitude = nullptr;
    char* altitude = nullptr;
    reading.hasText = vS_GPSPosition(&longitude, &latitude, &altitude) != 0;
    if (reading.hasText) {
        reading.longitudeText = TakeText(longitude);
        reading.latitudeText = TakeText(latitude);
        TakeText(altitude);
    }
    double decimalLongitude = 0;
    double decimalLatitude = 0;
    reading.hasDecimal = vS_GPSPositionDouble(&decimalLongitude, &decimalLatitude) != 0;
    if (reading.hasDecimal) {
        reading.decimalLongitude = decimalLongitude;
        reading.decimalLatitude = decimalLatitude;
    }
    if (reading.hasPosition()) {
        const char latitudeHemisphere = reading.latitudeText.empty() ? '\0' : reading.latitudeText.front();
        const char longitudeHemisphere = reading.longitudeText.empty() ? '\0' : reading.longitudeText.front();
        reading.latitude = SignedCoordinate(decimalLatitude, latitudeHemisphere);
        reading.longitude = SignedCoordinate(decimalLongitude, longitudeHemisphere);
    }
    return reading;
}

std::optional<std::wstring> BuildMapAddress(const std::wstring& prefix, double latitude, double longitude)
{
    std::wstring address = prefix + Fixed(latitude) + L"," + Fixed(longitude);
    if (address.size() > kMapAddressMaxChars)
        return std::nullopt;
    return address;
}

bool OpenPositionOnMap(const wchar_t* handler, double latitude, double longitude)
{
    if (longitude == kNoPosition || latitude == kNoPosition) {
        ShowMessageBox(kNoPositionMessage);
        return false;
    }
    const std::wstring prefix = ReadSettingText(L"VEHICLE_STATUS", L"MAP_URL_PREFIX", kDefaultMapUrlPrefix, kPrefixChars);
    const std::optional<std::wstring> address = BuildMapAddress(prefix, latitude, longitude);
    if (!address) {
        TraceMessage(L"%s: url too long (more than %d characters): %s%s,%s", handler,
                     static_cast<int>(kMapAddressMaxChars), prefix.c_str(), Fixed(latitude).c_str(),
                     Fixed(longitude).c_str());
        ShowMessageBox(kMapAddressTooLongMessage);
        return false;
    }
    TraceMessage(L"%s: url=%s", handler, address->c_str());
    return OpenInBrowser(*address);
}
