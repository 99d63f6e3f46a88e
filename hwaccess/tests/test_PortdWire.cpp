// The helper's messages: what the parser lets through, what it refuses and how.
#include "EcMap.h"
#include "PortdWire.h"

#include <gtest/gtest.h>

using namespace tarvik::portd;
namespace ecmap = tarvik::ecmap;

TEST(PortdWire, EveryAllowedRequestSurvivesEncodingAndParsing)
{
    const std::vector<Request> requests = {
        {Op::Start, 0, 0, 1},
        {Op::ReadEc, 0x00, 0, 2},
        {Op::ReadEc, 0xFF, 0, 0xFFFF},
        {Op::WriteEc, ecmap::EC_WWAN_BASE_ADDRESS, 0x0E, 3},
        {Op::WriteEc, ecmap::EC_WLANBT_CONTROL, 0xFF, 4},
        {Op::WriteEc, ecmap::EC_GPS_CONTROL, 0x00, 0x1234},
        {Op::EcCommand, ecmap::EC_CMD_ANTENNA_INTERNAL, 0, 5},
        {Op::EcCommand, ecmap::EC_CMD_WLANBT_POWER_OFF, 0, 6},
        {Op::ReadCmos, ecmap::CMOS_WLAN_STATUS, 0, 7},
        {Op::ReadCmos, ecmap::CMOS_ANTENNA_STATUS, 0, 8},
    };
    for (const Request& r : requests) {
        const RequestBytes bytes = encodeRequest(r);
        const Parsed parsed = parseRequest(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed.request) << int(r.op) << " " << int(r.arg);
        EXPECT_EQ(*parsed.request, r);
    }
}

TEST(PortdWire, TheMapDecidesWhatIsAllowed)
{
    int writable = 0, commands = 0, indices = 0;
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<std::uint8_t>(v);
        EXPECT_TRUE(allowed({Op::ReadEc, b})) << "any EC byte may be read";
        writable += allowed({Op::WriteEc, b, 0x01});
        commands += allowed({Op::EcCommand, b});
        indices += allowed({Op::ReadCmos, b});
    }
    // Only the bytes the libraries switch bits in, the map's ten command codes and four indices.
    EXPECT_EQ(writable, 3);
    EXPECT_EQ(commands, 10);
    EXPECT_EQ(indices, 4);
    EXPECT_FALSE(allowed({Op::Start, 1}));
    EXPECT_FALSE(allowed({Op::EcCommand, ecmap::EC_CMD_GPS_ON, 1})) << "stray value byte";
}

TEST(PortdWire, MalformedAndRefusedRequestsAreToldApart)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        Status status;
        std::uint16_t tag;
    };
    const std::vector<Case> cases = {
        {{'T', 'P', 1, 3, 0x40, 1, 0x34, 0x12}, Status::Refused, 0x1234},
        {{'T', 'P', 1, 9, 0x68, 0, 2, 0}, Status::Refused, 2},
        {{'T', 'P', 1, 0, 0, 0, 3, 0}, Status::Refused, 3},
        {{'T', 'p', 1, 2, 0x70, 0, 4, 0}, Status::Malformed, 0},
        {{'T', 'P', 0, 2, 0x70, 0, 5, 0}, Status::Malformed, 0},
        {{'T', 'P', 1, 2, 0x70, 0, 6}, Status::Malformed, 0},
        {{}, Status::Malformed, 0},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parseRequest(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(parsed.request);
        EXPECT_EQ(parsed.refusal.status, c.status);
        EXPECT_EQ(parsed.refusal.tag, c.tag);
    }
}

TEST(PortdWire, AnswersRoundTripAndGarbageIsNoAnswer)
{
    const Answer a{Status::Done, 0xA5, 0xBEEF, 609};
    const AnswerBytes bytes = encodeAnswer(a);
    EXPECT_EQ(parseAnswer(bytes.data(), bytes.size()), a);
    AnswerBytes bad = bytes;
    bad[3] = 9;
    EXPECT_FALSE(parseAnswer(bad.data(), bad.size())) << "unknown status";
    EXPECT_FALSE(parseAnswer(bytes.data(), bytes.size() - 1)) << "short";
    bad = bytes;
    bad[1] = 'P';
    EXPECT_FALSE(parseAnswer(bad.data(), bad.size())) << "a request's magic";
}
