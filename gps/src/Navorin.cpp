#include "Navorin.h"

#include "OpeningSequence.h"
#include "_com_gps_ex.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

constexpr int kDefaultPort = 3;
constexpr int kDefaultBaud = 9600;

std::atomic<int> g_portNumber{kDefaultPort};
std::atomic<int> g_baudRate{kDefaultBaud};
// Start and stop replace the reader thread; two pages' workers may ask at once.
std::mutex g_startStop;
// The library's one port object, made when the library is loaded and closed when it is unloaded.
_com_gps_ex g_gps;

} // namespace

extern "C" {

int vS_GPSSerialPortSet(int port)
{
    g_portNumber = port;
    return 1;
}

int vS_GPSBaudRateSet(int baud)
{
    g_baudRate = baud;
    return 1;
}

int vS_GPSStart()
{
    std::lock_guard lock(g_startStop);
    return runOpeningSequence(g_gps, g_portNumber, g_baudRate) ? 1 : 0;
}

void vS_GPSStop()
{
    std::lock_guard lock(g_startStop);
    g_gps.close();
}

int vS_GPSSatellites(int* count)
{
    const GpsPositionRecord p = g_gps.position();
    if (!p.fix || !count)
        return 0;
    *count = p.satellites;
    return 1;
}

int vS_GPSPosition(char** longitude, char** latitude, char** altitude)
{
    const GpsPositionRecord p = g_gps.position();
    if (!p.fix || !longitude || !latitude || !altitude)
        return 0;
    char* lon = strdup(p.longitudeText().c_str());
    char* lat = strdup(p.latitudeText().c_str());
    char* alt = strdup(p.altitudeText().c_str());
    if (!lon || !lat || !alt) {
        std::free(lon);
        std::free(lat);
        std::free(alt);
        return 0;
    }
    *longitude = lon;
    *latitude = lat;
    *altitude = alt;
    return 1;
}

int vS_GPSPositionDouble(double* longitude, double* latitude)
{
    const GpsPositionRecord p = g_gps.position();
    if (!p.fix || !longitude || !latitude)
        return 0;
    *longitude = p.longitudeDecimal();
    *latitude = p.latitudeDecimal();
    return 1;
}

void vS_GPSFree(char* text)
{
    std::free(text);
}

} // extern "C"
