// The receive handler's decoding, fed chunk by chunk as the port would hand them over.
#include "GpsPositionRecord.h"
#include "NmeaChunkDecoder.h"
#include "NmeaDecoderSink.h"
#include "NmeaNumbers.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class RecordingSink : public NmeaDecoderSink {
public:
    void trace(std::string_view text) override { traced += text; }
    void publish(const GpsPositionRecord& record) override { published.push_back(record); }
    std::string traced;
    std::vector<GpsPositionRecord> published;
};

// Taipei, 8 satellites: 25°3.1234' N = 25°3'7.404", 121°31.7833' E = 121°31'46.998".
const std::string kGga = "$GPGGA,092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*76\r\n";
const std::string kRmc = "$GPRMC,092750.000,A,2503.1234,N,12131.7833,E,0.02,31.66,280511,,,A*43\r\n";
constexpr double kLat = 25.0 + 3.1234 / 60.0;
constexpr double kLon = 121.0 + 31.7833 / 60.0;

struct ChunkCase {
    const char* name;
    std::vector<std::string> chunks;
    std::size_t publishes;
    bool fix;
    double latitude;
    double longitude;
    std::string latitudeText;
    std::string longitudeText;
    int satellites;
    std::string altitude;
};

void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.name; }

std::string gga(const std::string& body) { return "$GPGGA," + body + "\r\n"; }

const ChunkCase kCases[] = {
    {"GgaFollowedByTheNextSentence", {kGga + kRmc}, 1, true, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"GgaAsTheLastSentenceOfItsChunkIsNotDecoded", {kRmc + kGga}, 0, false, 0, 0, "", "", -1, "0.000000"},
    {"MultiConstellationTalker",
     {"$GNGGA,092750.000,2503.1234,N,12131.7833,E,2,12,0.8,61.7,M,55.2,M,,*6A\r\n$"},
     1, true, kLat, kLon, "N25'3'7'", "E121'31'46'", 12, "61.700000"},
    {"OtherTalkersSentencesAndLowerCaseAreIgnored",
     {"$GLGGA,092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*76\r\n" + kRmc +
      "$INGGA,092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*76\r\n"
      "$gpgga,092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*76\r\n$"},
     0, false, 0, 0, "", "", -1, "0.000000"},
    {"QualityZeroDropsTheFixButKeepsThePosition",
     {kGga + gga("092751.000,2503.2000,N,12131.9000,E,0,00,99.0,,M,,M,,*48") + "$"},
     2, false, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"QualitySixIsNoFix", {kGga + gga("092751.000,2503.2000,N,12131.9000,E,6,00,50.0,70.0,M,,M,,*48") + "$"},
     2, false, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"FixWithEmptyLatitudeKeepsItsLatitudeAndTakesTheHemisphere",
     {gga("092750.000,,N,12131.7833,E,1,05,1.5,10.0,M,,M,,*00") + "$"},
     1, true, 0.0, kLon, "N0'0'0'", "E121'31'46'", 5, "10.000000"},
    {"TwoDecimalMinutesAreRejected", {gga("092750.000,2503.12,N,12131.7833,E,1,05,1.5,10.0,M,,M,,*00") + "$"},
     1, true, 0.0, kLon, "N0'0'0'", "E121'31'46'", 5, "10.000000"},
    {"AnyCharacterStandsForThePoint", {gga("092750.000,2503x1234,N,12131.7833,E,1,05,1.5,10.0,M,,M,,*00") + "$"},
     1, true, 25.0 + 3.0 / 60.0, kLon, "N25'3'0'", "E121'31'46'", 5, "10.000000"},
    {"ThirteenFieldsAreIgnoredQualityIncluded",
     {kGga + "$GPGGA,092751.000,2503.2000,N,12131.9000,E,0,00,99.0,,M,,M*48\r\n$"},
     1, true, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"EmptyHemisphereEmptiesTheText", {gga("092750.000,2503.1234,,12131.7833,,1,,1.5,,M,,M,,*00") + "$"},
     1, true, kLat, kLon, "", "", 0, "0.000000"},
    {"SouthAndWestArePositive", {gga("030719.000,3747.0873,S,17518.8938,W,1,07,1.1,59.9,M,23.7,M,,0000*7D") + "$"},
     1, true, 37.0 + 47.0873 / 60.0, 175.0 + 18.8938 / 60.0, "S37'47'5'", "W175'18'53'", 7, "59.900000"},
    {"ASentenceCutAtAChunkBoundaryIsLost", {kGga.substr(0, 40), kGga.substr(40) + "$"}, 0, false, 0, 0, "", "", -1,
     "0.000000"},
    {"TheTailOfTheLastChunksSentenceIsIgnored", {"1.03,61.7,M,55.2,M,,*76\r\n" + kGga + "$GPGSA"}, 1, true, kLat, kLon,
     "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"ChecksumIsNotChecked", {gga("092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*FF") + "$"},
     1, true, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "61.700000"},
    {"TheLastOfSeveralSentencesWins",
     {kGga + gga("092751.000,4527.4580,S,16709.1650,E,1,05,2.4,12.5,M,1.1,M,,*00") + "$"},
     2, true, 45.0 + 27.458 / 60.0, 167.0 + 9.165 / 60.0, "S45'27'27'", "E167'9'9'", 5, "12.500000"},
    {"DegreesOrMinutesOf400AreTheNoValueMarker",
     {gga("092750.000,2504e0002,N,40000.0000,E,1,08,1.0,1.0,M,,M,,*00") + "$"},
     1, true, 400.0, 400.0, "N25'400'0'", "E400'0'0'", 8, "1.000000"},
    {"ALeadingZeroSatelliteCountAndALongAltitude",
     {gga("092750.000,2503.1234,N,12131.7833,E,1,08,1.0,1e20,M,,M,,*00") + "$"},
     1, true, kLat, kLon, "N25'3'7'", "E121'31'46'", 8, "100000000000000000000.000000"},
};

class DecoderChunks : public testing::TestWithParam<ChunkCase> {};

TEST_P(DecoderChunks, DecodeAsTheFramingAllows)
{
    const ChunkCase& c = GetParam();
    RecordingSink sink;
    NmeaChunkDecoder decoder(sink);
    for (const std::string& chunk : c.chunks) {
        ASSERT_LE(chunk.size(), 299u) << "the port hands over at most 299 bytes";
        decoder.receive(chunk);
        EXPECT_EQ(decoder.pendingBytes(), 0u) << "nothing survives a chunk";
    }
    EXPECT_EQ(sink.published.size(), c.publishes);
    const GpsPositionRecord& r = decoder.record();
    EXPECT_EQ(r.fix, c.fix);
    EXPECT_NEAR(r.latitudeDecimal(), c.latitude, 1e-9);
    EXPECT_NEAR(r.longitudeDecimal(), c.longitude, 1e-9);
    EXPECT_EQ(r.latitudeText(), c.latitudeText);
    EXPECT_EQ(r.longitudeText(), c.longitudeText);
    EXPECT_EQ(r.satellites, c.satellites);
    EXPECT_EQ(r.altitudeText(), c.altitude);
    if (!sink.published.empty()) {
        EXPECT_EQ(sink.published.back().fix, r.fix) << "every decoded sentence is published whole";
        EXPECT_EQ(sink.published.back().latitudeText(), r.latitudeText());
    }
}

INSTANTIATE_TEST_SUITE_P(Nmea, DecoderChunks, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ChunkCase>& i) { return std::string(i.param.name); });

TEST(DecoderTrace, WritesTheSentenceTheVerdictSatellitesAndPosition)
{
    RecordingSink sink;
    NmeaChunkDecoder decoder(sink);
    decoder.receive(kGga + gga("092751.000,,,,,0,00,99.0,,M,,M,,*48") + "$GPGGA,1,2*00\r\n" + "$");
    EXPECT_EQ(sink.traced, kGga + "\n"
                                  "yes\n"
                                  "satellite : 08\n"
                                  "[25.052057][121.529722][N][E]\n" +
                               gga("092751.000,,,,,0,00,99.0,,M,,M,,*48") + "\n"
                                                                            "no\n"
                                                                            "$GPGGA,1,2*00\r\n\n");
}

TEST(DecoderNumbers, ConvertAsTheCLibraryDoesWithoutItsLocale)
{
    using namespace nmeanumbers;
    const struct {
        const char* text;
        int integer;
        double real;
    } cases[] = {
        {"08", 8, 8.0},          {"", 0, 0.0},           {" 12abc", 12, 12.0},       {"-3", -3, -3.0},
        {"+7.5", 7, 7.5},        {"03.1234", 3, 3.1234}, {"03x1234", 3, 3.0},        {"1e3", 1, 1000.0},
        {"1e", 1, 1.0},          {".5", 0, 0.5},         {"-", 0, 0.0},              {"+-2", 0, 0.0},
        {"99999999999", INT_MAX, 99999999999.0},         {"-99999999999", INT_MIN, -99999999999.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(leadingInt(c.text), c.integer);
        EXPECT_DOUBLE_EQ(leadingDouble(c.text), c.real);
    }
    EXPECT_TRUE(std::isinf(leadingDouble("03e9999")));
    EXPECT_EQ(leadingDouble("1e-9999"), 0.0);
    EXPECT_EQ(truncateToInt(3.99), 3);
    EXPECT_EQ(truncateToInt(-3.99), -3);
    EXPECT_EQ(truncateToInt(HUGE_VAL), INT_MIN);
    EXPECT_EQ(truncateToInt(NAN), INT_MIN);
    EXPECT_EQ(fixed6(61.7), "61.700000");
    EXPECT_EQ(fixed6(-0.0000004), "-0.000000");
}

TEST(DecoderNumbers, AnExponentInACoordinateCannotOverflowTheConversion)
{
    RecordingSink sink;
    NmeaChunkDecoder decoder(sink);
    decoder.receive(gga("092750.000,2503e9999,N,12131.7833,E,1,08,1.0,1.0,M,,M,,*00") + "$");
    ASSERT_TRUE(decoder.record().fix);
    EXPECT_EQ(decoder.record().latitudeMinutes, INT_MIN);
    EXPECT_EQ(decoder.record().latitudeText(), "N25'-2147483648'-2147483648'");
}

} // namespace
