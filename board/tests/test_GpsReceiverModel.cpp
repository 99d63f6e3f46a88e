// The simulated GPS receiver's logic: framing, sentences of an epoch, route, line pace, settings.
#include "BaudPacer.h"
#include "GpsReceiverModel.h"
#include "GpsReceiverSettings.h"
#include "GpsRoute.h"
#include "NmeaFraming.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <vector>

using namespace tarvik::board::gps;

namespace {

constexpr double kUtc = 1700000000.0; // 2023-11-14 22:13:20 UTC

std::vector<std::string> fields(const std::string& sentence)
{
    const std::string body = sentence.substr(1, sentence.find('*') - 1);
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = body.find(',', start);
        f.push_back(body.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return f;
        start = comma + 1;
    }
}

const std::string* find(const std::vector<std::string>& sentences, const std::string& tag)
{
    for (const std::string& s : sentences) {
        if (s.rfind("$" + tag + ",", 0) == 0)
            return &s;
    }
    return nullptr;
}

} // namespace

TEST(GpsNmeaFraming, ChecksumIsTheXorOfTheBody)
{
    EXPECT_EQ(frameSentence("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
              "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    EXPECT_EQ(nmeaChecksum(""), 0u);
}

TEST(GpsReceiverModel, AnEpochIsWellFramedNmeaInTheReceiversOrder)
{
    for (const char* talker : {"GP", "GN"}) {
        SCOPED_TRACE(talker);
        GpsReceiverSettings s;
        s.talker = talker;
        const auto sentences = GpsReceiverModel(s).epoch(kUtc, 0.0, false);
        std::string order;
        for (const std::string& sentence : sentences) {
            SCOPED_TRACE(sentence);
            ASSERT_GE(sentence.size(), 6u);
            EXPECT_EQ(sentence[0], '$');
            EXPECT_EQ(sentence.substr(sentence.size() - 2), "\r\n");
            EXPECT_LE(sentence.size(), kMaxSentenceLength);
            const std::size_t star = sentence.find('*');
            ASSERT_NE(star, std::string::npos);
            char sum[3];
            std::snprintf(sum, sizeof sum, "%02X", nmeaChecksum(std::string_view(sentence).substr(1, star - 1)));
            EXPECT_EQ(sentence.substr(star + 1, 2), sum);
            EXPECT_EQ(sentence.find('$', 1), std::string::npos);
            order += sentence.substr(3, 3) + " ";
        }
        if (std::string(talker) == "GP")
            EXPECT_EQ(order, "RMC VTG GGA GSA GSV GSV GSV GLL ");
        else
            EXPECT_EQ(order, "RMC VTG GGA GSA GSA GSV GSV GSV GSV GLL ");
        const std::string* gga = find(sentences, std::string(talker) + "GGA");
        ASSERT_NE(gga, nullptr);
        const auto f = fields(*gga);
        ASSERT_EQ(f.size(), 15u);
        EXPECT_EQ(f[1], "221320.00");
        EXPECT_EQ(f[2], "2503.12498");
        EXPECT_EQ(f[3], "N");
        EXPECT_EQ(f[4], "12131.78332");
        EXPECT_EQ(f[5], "E");
        EXPECT_EQ(f[6], "1");
        EXPECT_EQ(f[7], "08");
        EXPECT_EQ(f[9], "12.5");
        EXPECT_EQ(fields(*find(sentences, std::string(talker) + "RMC"))[9], "141123");
    }
}

TEST(GpsReceiverModel, GlonassSatellitesHaveTheirOwnGsvWithTheGnTalker)
{
    GpsReceiverSettings s;
    s.talker = "GN";
    s.satellites = 10;
    const auto sentences = GpsReceiverModel(s).epoch(kUtc, 0.0, false);
    int used = 0;
    std::map<std::string, int> inView;
    for (const std::string& sentence : sentences) {
        const auto f = fields(sentence);
        if (f[0] == "GNGSA") {
            for (int i = 3; i < 15; ++i)
                used += f[static_cast<std::size_t>(i)].empty() ? 0 : 1;
        }
        if (f[0] == "GPGSV" || f[0] == "GLGSV")
            inView[f[0]] = std::stoi(f[3]);
    }
    EXPECT_EQ(used, 10);
    EXPECT_GT(inView["GPGSV"], 0);
    EXPECT_GT(inView["GLGSV"], 0);
}

TEST(GpsReceiverModel, SouthWestQualityAndSearching)
{
    const struct {
        const char* name;
        double latitude;
        double longitude;
        int quality;
        bool searching;
        std::vector<std::string> gga; // fields 2..7
    } cases[] = {
        {"south west", -33.680232, -70.6, 1, false, {"3340.81392", "S", "07036.00000", "W", "1", "08"}},
        {"dead reckoning", 25.052083, 121.529722, 6, false, {"2503.12498", "N", "12131.78332", "E", "6", "08"}},
        {"stale position without fix", 25.052083, 121.529722, 0, false, {"2503.12498", "N", "12131.78332", "E", "0", "00"}},
        {"searching", 25.052083, 121.529722, 1, true, {"", "", "", "", "0", "00"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GpsReceiverSettings s;
        s.latitude = c.latitude;
        s.longitude = c.longitude;
        s.fixQuality = c.quality;
        s.speedKmh = 0;
        const auto sentences = GpsReceiverModel(s).epoch(kUtc, 5.0, c.searching);
        const auto f = fields(*find(sentences, "GPGGA"));
        ASSERT_EQ(f.size(), 15u);
        EXPECT_EQ(std::vector<std::string>(f.begin() + 2, f.begin() + 8), c.gga);
        EXPECT_EQ(fields(*find(sentences, "GPRMC"))[2], c.quality > 0 && !c.searching ? "A" : "V");
    }
}

TEST(GpsReceiverModel, CoordinatesInMinutesNeverRoundToSixty)
{
    EXPECT_EQ(GpsReceiverModel::nmeaCoordinate(25.052083, 2), "2503.12498");
    EXPECT_EQ(GpsReceiverModel::nmeaCoordinate(-121.529722, 3), "12131.78332");
    EXPECT_EQ(GpsReceiverModel::nmeaCoordinate(10.9999999999, 2), "1100.00000");
    EXPECT_EQ(GpsReceiverModel::nmeaCoordinate(0.0, 3), "00000.00000");
}

TEST(GpsReceiverModel, NoiseHoldsBrokenSentenceStartsAndGarbleNoneAtAll)
{
    const std::string noise = GpsReceiverModel::noise(7, 2000);
    EXPECT_EQ(noise.size(), 2000u);
    EXPECT_NE(noise.find("$GP"), std::string::npos);
    EXPECT_EQ(noise, GpsReceiverModel::noise(7, 2000)) << "repeatable";
    const std::string garbled = GpsReceiverModel::garble("$GPGGA,1,2*00\r\n");
    for (char c : garbled)
        EXPECT_GE(static_cast<unsigned char>(c), 0x80u);
}

TEST(GpsRoute, StandsStillAtZeroAndDrivesRoundTheCircleOtherwise)
{
    const GpsRoute still(25.0, 121.0, 0.0);
    EXPECT_EQ(still.at(0).latitude, 25.0);
    EXPECT_EQ(still.at(1000).longitude, 121.0);

    const GpsRoute moving(25.0, 121.0, 36.0); // 10 m/s
    const auto start = moving.at(0);
    EXPECT_EQ(start.latitude, 25.0);
    EXPECT_EQ(start.longitude, 121.0);
    EXPECT_NEAR(start.course, 90.0, 1e-9) << "starts heading east";
    auto metres = [](const GpsRoute::Fix& a, const GpsRoute::Fix& b) {
        const double north = (b.latitude - a.latitude) * 111320.0;
        const double east = (b.longitude - a.longitude) * 111320.0 * std::cos(a.latitude * 3.14159265358979 / 180);
        return std::hypot(north, east);
    };
    EXPECT_NEAR(metres(start, moving.at(1.0)), 10.0, 0.01);
    const double loop = 2 * 3.14159265358979 * GpsRoute::kRadiusMetres / 10.0;
    EXPECT_NEAR(metres(start, moving.at(loop)), 0.0, 0.01);
    EXPECT_NEAR(metres(start, moving.at(loop / 2)), 2 * GpsRoute::kRadiusMetres, 0.01);

    const GpsRoute dateLine(0.0, 179.9999, 36.0);
    EXPECT_LT(dateLine.at(5.0).longitude, 0.0) << "crosses into the west";
}

TEST(GpsBaudPacer, TenBitsPerByteAndNoSavedUpIdleTime)
{
    BaudPacer pacer(9600);
    pacer.idleUntil(0.0);
    EXPECT_EQ(pacer.take(0.1, 1000), 96u);
    EXPECT_EQ(pacer.take(0.1, 1000), 0u);
    EXPECT_EQ(pacer.take(0.2, 10), 10u);
    pacer.idleUntil(10.0);
    EXPECT_EQ(pacer.take(10.0105, 1000), 10u);
}

TEST(GpsReceiverSettings, ProfileValuesWithTheirChecksAndDefaults)
{
    std::map<std::string, std::string> values = {
        {"GPSBaudRate", "4800"},  {"GPSTalker", "GN"},      {"GPSFixQuality", "2"},
        {"GPSLatitude", "33.68S"}, {"GPSLongitude", "-70.6"}, {"GPSSpeed", "0"},        {"GPSSatellites", "12"},
        {"GPSUpdateRate", "5"},   {"GPSAltitude", "-3.5"},
    };
    auto get = [&](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    };
    GpsReceiverSettings s = GpsReceiverSettings::from(get);
    EXPECT_EQ(s.baud, 4800u);
    EXPECT_EQ(s.talker, "GN");
    EXPECT_EQ(s.fixQuality, 2);
    EXPECT_DOUBLE_EQ(s.latitude, -33.68);
    EXPECT_DOUBLE_EQ(s.longitude, -70.6);
    EXPECT_EQ(s.speedKmh, 0.0);
    EXPECT_EQ(s.satellites, 12);
    EXPECT_EQ(s.updateRate, 5u);
    EXPECT_EQ(s.altitude, -3.5);

    values = {{"GPSBaudRate", "0"}, {"GPSTalker", "GL"}, {"GPSLatitude", "-33.68S"}, {"GPSLongitude", "181"}, {"GPSUpdateRate", "20"}};
    s = GpsReceiverSettings::from(get);
    const GpsReceiverSettings defaults;
    EXPECT_EQ(s.baud, defaults.baud);
    EXPECT_EQ(s.talker, defaults.talker);
    EXPECT_EQ(s.latitude, defaults.latitude);
    EXPECT_EQ(s.longitude, defaults.longitude);
    EXPECT_EQ(s.updateRate, defaults.updateRate);

    EXPECT_EQ(GpsReceiverSettings::parseCoordinate("151.29 E", 'E', 'W', 180), 151.29);
    EXPECT_EQ(GpsReceiverSettings::parseCoordinate("12.5W", 'E', 'W', 180), -12.5);
    EXPECT_FALSE(GpsReceiverSettings::parseCoordinate("91", 'N', 'S', 89.9));
    EXPECT_FALSE(GpsReceiverSettings::parseCoordinate("north", 'N', 'S', 89.9));
}
