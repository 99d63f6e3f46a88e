#include "GpsReceiverModel.h"

#include "GpsRoute.h"
#include "NmeaFraming.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

namespace tarvik::board::gps {

namespace {

constexpr double kKnotsPerKmh = 1.0 / 1.852;
constexpr double kGeoidSeparation = 16.5;
constexpr int kSatellitesPerGsv = 4;
constexpr int kGsaSlots = 12;
constexpr int kExtraInView = 4; // satellites in view but not used

struct Satellite {
    int prn;
    int elevation;
    int azimuth;
    int snr;
};

// A fixed sky whose satellites drift slowly: GPS PRNs first, then GLONASS slots (65…).
std::vector<Satellite> sky(int firstPrn, int count, int seed, double utcSeconds)
{
    static constexpr int kGpsPrns[] = {2, 5, 6, 9, 12, 13, 15, 17, 19, 20, 24, 25, 29, 30, 31, 32};
    std::vector<Satellite> sats;
    const int drift = static_cast<int>(std::fmod(utcSeconds / 120.0, 360.0));
    for (int i = 0; i < count; ++i) {
        const int prn = firstPrn == 1 ? kGpsPrns[i % 16] : firstPrn + (i * 3 + seed) % 24;
        sats.push_back({prn, 10 + (i * 23 + seed * 7 + drift / 4) % 78, (i * 47 + seed * 31 + drift) % 360,
                        22 + (i * 7 + seed) % 26});
    }
    return sats;
}

std::string utcTime(double utcSeconds)
{
    const long long centi = std::llround(utcSeconds * 100.0);
    const long long daySeconds = (centi / 100) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02lld%02lld%02lld.%02lld", daySeconds / 3600, daySeconds / 60 % 60,
                  daySeconds % 60, centi % 100);
    return text;
}

std::string utcDate(double utcSeconds)
{
    using namespace std::chrono;
    const sys_days day{days{static_cast<long long>(std::floor(utcSeconds / 86400.0))}};
    const year_month_day ymd{day};
    char text[16];
    std::snprintf(text, sizeof text, "%02u%02u%02d", static_cast<unsigned>(ymd.day()), static_cast<unsigned>(ymd.month()),
                  static_cast<int>(ymd.year()) % 100);
    return text;
}

std::string format(const char* f, double v)
{
    char text[32];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

void addGsv(std::vector<std::string>& out, const char* talker, const std::vector<Satellite>& sats, bool tracking)
{
    const int total = std::max(1, static_cast<int>((sats.size() + kSatellitesPerGsv - 1) / kSatellitesPerGsv));
    for (int n = 0; n < total; ++n) {
        char head[32];
        std::snprintf(head, sizeof head, "%sGSV,%d,%d,%02zu", talker, total, n + 1, sats.size());
        std::string body = head;
        for (int i = n * kSatellitesPerGsv; i < std::min<int>((n + 1) * kSatellitesPerGsv, static_cast<int>(sats.size())); ++i) {
            char sat[32];
            if (tracking)
                std::snprintf(sat, sizeof sat, ",%02d,%02d,%03d,%02d", sats[i].prn, sats[i].elevation, sats[i].azimuth, sats[i].snr);
            else
                std::snprintf(sat, sizeof sat, ",%02d,,,", sats[i].prn);
            body += sat;
        }
        out.push_back(frameSentence(body));
    }
}

std::string gsa(const char* talker, const std::vector<Satellite>& used, int mode, const std::string& dops)
{
    std::string body = std::string(talker) + "GSA,A," + std::to_string(mode);
    for (int i = 0; i < kGsaSlots; ++i) {
        body += ",";
        if (i < static_cast<int>(used.size())) {
            char prn[8];
            std::snprintf(prn, sizeof prn, "%02d", used[static_cast<std::size_t>(i)].prn);
            body += prn;
        }
    }
    return frameSentence(body + "," + dops);
}

} // namespace

GpsReceiverModel::GpsReceiverModel(const GpsReceiverSettings& settings)
    : settings_(settings)
{
}

std::string GpsReceiverModel::nmeaCoordinate(double degrees, int degreeDigits)
{
    // In units of 1e-5 minute, so that rounding never prints 60 minutes.
    const long long units = std::llround(std::abs(degrees) * 60.0 * 100000.0);
    const long long perDegree = 60LL * 100000;
    char text[24];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld", degreeDigits, units / perDegree, units % perDegree / 100000,
                  units % 100000);
    return text;
}

std::vector<std::string> GpsReceiverModel::epoch(double utcSeconds, double routeSeconds, bool searching) const
{
    const GpsReceiverSettings& s = settings_;
    const bool gn = s.talker == "GN";
    const char* pos = gn ? "GN" : "GP";
    const bool fix = !searching && s.fixQuality > 0;
    const int used = fix ? s.satellites : 0;
    const std::string time = utcTime(utcSeconds);
    const GpsRoute::Fix here = GpsRoute(s.latitude, s.longitude, s.speedKmh).at(routeSeconds);

    // Split between the constellations: GPS takes the larger half.
    const int gpsUsed = gn ? (used + 1) / 2 : used;
    const int gloUsed = used - gpsUsed;
    const auto gpsSky = sky(1, std::min(16, gpsUsed + kExtraInView), 0, utcSeconds);
    const auto gloSky = gn ? sky(65, std::min(16, gloUsed + kExtraInView - 1), 5, utcSeconds) : std::vector<Satellite>{};

    std::string lat, ns, lon, ew;
    if (!searching) {
        lat = nmeaCoordinate(here.latitude, 2);
        ns = here.latitude < 0 ? "S" : "N";
        lon = nmeaCoordinate(here.longitude, 3);
        ew = here.longitude < 0 ? "W" : "E";
    }
    const std::string latLon = lat + "," + ns + "," + lon + "," + ew;
    const double hdop = used >= 4 ? 0.6 + 3.2 / used : 99.99;
    const std::string dops = used >= 4 ? format("%.2f", hdop * 1.6) + "," + format("%.2f", hdop) + "," + format("%.2f", hdop * 1.3)
                                       : "99.99,99.99,99.99";
    const double knots = fix ? here.speedKmh * kKnotsPerKmh : 0.0;

    std::vector<std::string> out;
    out.push_back(frameSentence(std::string(pos) + "RMC," + time + "," + (fix ? "A" : "V") + "," + latLon + "," +
                                (fix ? format("%.3f", knots) + "," + format("%.2f", here.course) : std::string(",")) + "," +
                                utcDate(utcSeconds) + ",,," + (fix ? "A" : "N")));
    out.push_back(frameSentence(std::string(pos) + "VTG," +
                                (fix ? format("%.2f", here.course) + ",T,,M," + format("%.3f", knots) + ",N," +
                                           format("%.3f", here.speedKmh) + ",K,A"
                                     : std::string(",,,,,,,,N"))));
    char counts[32];
    std::snprintf(counts, sizeof counts, "%d,%02d,", searching ? 0 : s.fixQuality, used);
    out.push_back(frameSentence(std::string(pos) + "GGA," + time + "," + latLon + "," + counts +
                                (used >= 4 ? format("%.2f", hdop) : std::string("99.99")) + "," +
                                (searching ? std::string(",,,,,") : format("%.1f", s.altitude) + ",M," + format("%.1f", kGeoidSeparation) + ",M,,")));
    const int mode = !fix ? 1 : used >= 4 ? 3 : 2;
    const std::vector<Satellite> gpsInUse(gpsSky.begin(), gpsSky.begin() + std::min<std::size_t>(gpsSky.size(), gpsUsed));
    out.push_back(gsa(gn ? "GN" : "GP", gpsInUse, mode, dops));
    if (gn) {
        const std::vector<Satellite> gloInUse(gloSky.begin(), gloSky.begin() + std::min<std::size_t>(gloSky.size(), gloUsed));
        out.push_back(gsa("GN", gloInUse, mode, dops));
    }
    addGsv(out, "GP", gpsSky, !searching);
    if (gn)
        addGsv(out, "GL", gloSky, !searching);
    out.push_back(frameSentence(std::string(pos) + "GLL," + latLon + "," + time + "," + (fix ? "A,A" : "V,N")));
    return out;
}

std::string GpsReceiverModel::noise(std::uint32_t seed, std::size_t length)
{
    static constexpr const char* kFragments[] = {"$GPGGA,", "$GNGGA,0927", "$GPRMC,092725.00,A,25", "\r\n", "$GPGSV,3,1,1"};
    std::minstd_rand random(seed + 1);
    std::string out;
    while (out.size() < length) {
        const auto pick = random() % 16;
        if (pick == 0)
            out += kFragments[random() % std::size(kFragments)];
        else
            out += static_cast<char>(random() % 256);
    }
    out.resize(length);
    return out;
}

std::string GpsReceiverModel::garble(const std::string& bytes)
{
    std::string out = bytes;
    for (char& c : out)
        c = static_cast<char>((static_cast<unsigned char>(c) ^ 0x35u) | 0x80u);
    return out;
}

} // namespace tarvik::board::gps
