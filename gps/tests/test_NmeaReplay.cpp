// Real receiver captures (gpsd's regression logs, see captures/SOURCE.md) replayed through a
// pseudo-terminal into Navorin. The position the library ends with must be that of the GGA data of
// the capture, as far as the library's framing lets it see them, and agree with gpsd's own decoding
// of the same sentence (.chk).
#include "NavorinLibrary.h"
#include "PtyPeer.h"
#include "TestSupport.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using tarvik::test::PtyPeer;
using tarvik::test::waitFor;

namespace {

constexpr int kGpsPort = 3;
constexpr std::size_t kChunk = 299;    // what the library reads at a time
constexpr std::size_t kThreshold = 300; // it reads only when more is queued
constexpr std::size_t kPiece = 100;     // what the test writes at a time

struct Capture {
    const char* file;
    bool fixAtTheEnd;
    bool checkedAgainstGpsd; // the sentence that gave the position is one gpsd accepted
};

void PrintTo(const Capture& c, std::ostream* os) { *os << c.file; }

// What SOURCE.md tells of each capture, and what the framing leaves of it.
const Capture kCaptures[] = {
    {"beidou-bd.log", true, true},
    {"bu353s4.log", true, true},          // southern hemisphere
    {"ch-4711.log", false, false},        // ends on $GPGGA with quality 0
    {"firefly-II.log", false, false},     // quality field empty in every GGA
    {"garmin-10x.log", true, true},
    {"garmin48.log", true, false},        // three decimals of minutes: coordinates rejected
    {"gp-320fw-2019-04-07-coldboot.log", false, false},
    {"holux-gm-210.log", false, false},   // quality 0 throughout
    {"humminbird-M37.log", false, false}, // $INGGA only
    {"jl-micro-jlt.log", true, true},     // $GNGGA, south
    {"mtk-3301.log", true, true},         // six decimals of minutes
    {"nmea-fuzzy-cases.log", false, false}, // ends on RTK quality 4, which is no fix here
    {"skytraq-PX1172RH_DS.log", false, false}, // RTK float (quality 5) only
    {"sl869.log", true, true},
    {"tr737A+.log", false, false},
    {"triton400.log", true, true},
    {"ublox-f9p-hpnmea.log", true, true}, // seven decimals of minutes
    {"ublox-lea-5q.log", false, false},   // empty fields, quality 0
    {"ublox8-uniqid-monhw.log", true, true}, // binary UBX packets between the sentences
};

std::string capturePath(const std::string& file) { return std::string(NMEA_CAPTURES) + "/" + file; }

// The serial stream: the capture without gpsd's '#' comment lines.
std::string serialStream(const std::string& log)
{
    std::string out;
    std::size_t start = 0;
    while (start < log.size()) {
        std::size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        if (log[start] != '#')
            out.append(log, start, end - start);
        start = end;
    }
    return out;
}

// Bytes left queued after `written` bytes: 299 are read whenever more than 300 wait.
std::size_t queueAfter(std::size_t written)
{
    while (written > kThreshold)
        written -= kChunk;
    return written;
}

std::vector<std::string> split(const std::string& s, char at)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(at, start);
        parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool digitsOnly(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// ddmm.mmmm (degreeDigits = 2) or dddmm.mmmm (3), with at least four decimals.
std::optional<double> coordinate(const std::string& field, std::size_t degreeDigits)
{
    if (field.size() < degreeDigits + 7 || !digitsOnly(field.substr(0, degreeDigits + 2)) ||
        !digitsOnly(field.substr(degreeDigits + 3)))
        return std::nullopt;
    return std::atoi(field.substr(0, degreeDigits).c_str()) + std::atof(field.substr(degreeDigits).c_str()) / 60.0;
}

struct Expected {
    bool fix = false;
    double latitude = 0;
    double longitude = 0;
    int satellites = 0;
    double altitude = 0;
    std::string latitudeSentence; // the sentence the latitude came from
};

// The GGA sentences the library can see are those that start in a chunk it read and have the next
// '$' in the same chunk; of those, the last decides the fix and each coordinate comes from the last
// fix sentence that carried it well-formed.
Expected expectedFrom(const std::string& stream, std::size_t chunksRead)
{
    Expected e;
    const std::size_t readEnd = chunksRead * kChunk;
    for (std::size_t s = stream.find('$'); s != std::string::npos && s < readEnd; s = stream.find('$', s + 1)) {
        const std::size_t chunkEnd = (s / kChunk + 1) * kChunk;
        const std::size_t next = stream.find('$', s + 1);
        if (next == std::string::npos || next >= chunkEnd)
            continue;
        const std::string sentence = stream.substr(s, next - s);
        if (sentence.rfind("$GPGGA", 0) != 0 && sentence.rfind("$GNGGA", 0) != 0)
            continue;
        const auto f = split(sentence, ',');
        if (f.size() < 14)
            continue;
        e.fix = f[6] == "1" || f[6] == "2" || f[6] == "3";
        if (!e.fix)
            continue;
        if (const auto lat = coordinate(f[2], 2)) {
            e.latitude = *lat;
            e.latitudeSentence = sentence;
        }
        if (const auto lon = coordinate(f[4], 3))
            e.longitude = *lon;
        e.satellites = std::atoi(f[7].c_str());
        e.altitude = std::atof(f[9].c_str());
    }
    return e;
}

// gpsd's fix after that sentence: the first TPV report with a position that follows its echo in
// the .chk, before the next GGA.
struct GpsdFix {
    double lat;
    double lon;
    double altMSL;
};

std::optional<double> jsonNumber(const std::string& line, const std::string& key)
{
    const std::size_t at = line.find("\"" + key + "\":");
    if (at == std::string::npos)
        return std::nullopt;
    return std::atof(line.c_str() + at + key.size() + 3);
}

std::optional<GpsdFix> gpsdFixAfter(const std::string& chk, std::string sentence)
{
    while (!sentence.empty() && (sentence.back() == '\n' || sentence.back() == '\r'))
        sentence.pop_back();
    std::istringstream lines(chk);
    std::string line;
    bool found = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!found) {
            found = line == sentence;
            continue;
        }
        if (line.rfind("$", 0) == 0 && line.find("GGA,") != std::string::npos)
            return std::nullopt;
        if (line.rfind("{\"class\":\"TPV\"", 0) == 0 && line.find("\"lat\"") != std::string::npos) {
            const auto lat = jsonNumber(line, "lat");
            const auto lon = jsonNumber(line, "lon");
            const auto alt = jsonNumber(line, "altMSL");
            if (lat && lon && alt)
                return GpsdFix{*lat, *lon, *alt};
        }
    }
    return std::nullopt;
}

class NmeaReplay : public testing::TestWithParam<Capture> {};

} // namespace

TEST_P(NmeaReplay, EndsOnThePositionOfTheLastGgaTheFramingLetThrough)
{
    const Capture& capture = GetParam();
    const std::string stream = serialStream(tarvik::test::readFile(capturePath(capture.file)));
    ASSERT_GT(stream.size(), 1000u);

    PtyPeer peer(kGpsPort);
    NavorinLibrary lib;
    ASSERT_EQ(lib.start(), 1);
    // Piece by piece, each taken by the reader before the next: then every chunk is read as soon
    // as it is complete, whatever the timing, and the reads fall on multiples of 299.
    std::size_t written = 0;
    while (written < stream.size()) {
        const std::size_t n = std::min(kPiece, stream.size() - written);
        peer.send(std::string_view(stream).substr(written, n));
        written += n;
        const int expected = static_cast<int>(queueAfter(written));
        ASSERT_TRUE(waitFor([&] { return peer.queued() == expected; }))
            << "after " << written << " bytes the queue holds " << peer.queued() << ", not " << expected;
    }
    lib.stop(); // waits for the last chunk's decoding

    const std::size_t chunksRead = (stream.size() - queueAfter(stream.size())) / kChunk;
    const Expected e = expectedFrom(stream, chunksRead);
    ASSERT_EQ(e.fix, capture.fixAtTheEnd) << "the capture is not what this table says";

    double lon = -1, lat = -1;
    ASSERT_EQ(lib.positionDouble(&lon, &lat), e.fix ? 1 : 0);
    int satellites = -1;
    EXPECT_EQ(lib.satellites(&satellites), e.fix ? 1 : 0);
    if (!e.fix)
        return;
    EXPECT_NEAR(lat, e.latitude, 1e-9);
    EXPECT_NEAR(lon, e.longitude, 1e-9);
    EXPECT_EQ(satellites, e.satellites);
    char text[64];
    std::snprintf(text, sizeof text, "%f", e.altitude);
    EXPECT_EQ(lib.texts().altitude, text);

    const auto gpsd = e.latitudeSentence.empty()
                          ? std::nullopt
                          : gpsdFixAfter(tarvik::test::readFile(capturePath(std::string(capture.file) + ".chk")),
                                         e.latitudeSentence);
    ASSERT_EQ(gpsd.has_value(), capture.checkedAgainstGpsd);
    if (gpsd) {
        EXPECT_NEAR(lat, std::abs(gpsd->lat), 1e-8) << "gpsd's latitude, without its sign";
        EXPECT_NEAR(lon, std::abs(gpsd->lon), 1e-8);
        EXPECT_NEAR(lib.texts().altitude.empty() ? 0 : std::atof(lib.texts().altitude.c_str()), gpsd->altMSL, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Captures, NmeaReplay, testing::ValuesIn(kCaptures),
                         [](const testing::TestParamInfo<Capture>& i) {
                             std::string name = i.param.file;
                             name = name.substr(0, name.find(".log"));
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });
