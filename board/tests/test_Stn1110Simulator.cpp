// The simulated STN1110 as a host sees it, bytes in and bytes out, with time given by the test.
#include "J1939Groups.h"
#include "Stn1110Simulator.h"
#include "VehicleModel.h"

#include <gtest/gtest.h>

using namespace tarvik::board;
using namespace tarvik::board::j1939;

namespace {

constexpr std::int64_t kMs = 1000;

class FixedVehicle final : public VehicleSource {
public:
    VehicleValues values{621, 80, 85, 1250, 500, 45613.5, 27.6, 512.35, 85, 45};
    VehicleValues current() override { return values; }
};

class Chip : public testing::Test {
protected:
    std::string send(const std::string& bytes, std::int64_t atUs = 0) { return chip.receive(bytes, atUs, faults); }
    void initialise()
    {
        for (const char* c : {"ATL1\r", "ATSPA\r", "ATH1\r", "ATCAF1\r", "STCMM1\r"})
            send(c);
    }

    FixedVehicle vehicle;
    InterpreterFaults faults;
    Stn1110Simulator chip{vehicle};
};

TEST_F(Chip, AnswersTheInitialisationWithOkAndThePrompt)
{
    const struct {
        const char* command;
        const char* reply;
    } rows[] = {
        {"ATL1\r", "ATL1\rOK\r\n\r\n>"}, // the echo comes before line feeds are on
        {"ATSPA\r", "ATSPA\r\nOK\r\n\r\n>"},
        {"ATH1\r", "ATH1\r\nOK\r\n\r\n>"},
        {"ATCAF1\r", "ATCAF1\r\nOK\r\n\r\n>"},
        {"STCMM1\r", "STCMM1\r\nOK\r\n\r\n>"},
        {"at h 1\r", "at h 1\r\nOK\r\n\r\n>"}, // case and spaces do not matter
        {"ATRV\r", "ATRV\r\n27.6V\r\n\r\n>"},
        {"ATDP\r", "ATDP\r\nSAE J1939 (CAN 29/250)\r\n\r\n>"},
        {"ATXX\r", "ATXX\r\n?\r\n\r\n>"},
        {"ATMP00F0G4\r", "ATMP00F0G4\r\n?\r\n\r\n>"},
        {"ATE0\r", "ATE0\r\nOK\r\n\r\n>"},
        {"ATI\r", "ELM327 v1.3a\r\n\r\n>"}, // echo now off
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        EXPECT_EQ(send(r.command), r.reply);
    }
}

TEST_F(Chip, MonitorsAGroupAtItsBroadcastRateUntilACharacterStopsIt)
{
    initialise();
    EXPECT_EQ(send("ATMP00F004\r", 1000 * kMs), "ATMP00F004\r\n");
    ASSERT_TRUE(chip.monitoring());
    const std::int64_t first = *chip.nextDueUs();
    EXPECT_GT(first, 1000 * kMs);
    EXPECT_LE(first, 1020 * kMs);
    EXPECT_EQ(chip.tick(first - 1, faults), "");
    // 621 rpm = 4968 = 0x1368, least significant byte first in data bytes 4-5.
    const std::string line = "3 0F004 00 F0 A5 A5 68 13 00 F0 A5\r\n";
    EXPECT_EQ(chip.tick(first, faults), line);
    EXPECT_EQ(*chip.nextDueUs(), first + 20 * kMs);
    EXPECT_EQ(chip.tick(first + 20 * kMs, faults), line);
    EXPECT_EQ(send("\r", first + 25 * kMs), "\r\n>");
    EXPECT_FALSE(chip.monitoring());
    EXPECT_EQ(chip.tick(first + 40 * kMs, faults), "");
}

TEST_F(Chip, SlowGroupsComeOncePerPeriodAndLateFramesAreLost)
{
    initialise();
    send("ATMP00FEEE\r", 0);
    const std::int64_t first = *chip.nextDueUs();
    EXPECT_LE(first, 1000 * kMs);
    EXPECT_EQ(chip.tick(first + 2500 * kMs, faults), "6 0FEEE 00 7D 55 00 2E FF FF FF FF\r\n");
    EXPECT_EQ(*chip.nextDueUs(), first + 3000 * kMs);
}

TEST_F(Chip, HeadersOffPrintsDataBytesOnly)
{
    send("ATL1\r");
    send("ATMP00FEE0\r", 0);
    // 500 km trip = 4000 = 0x0FA0, 1250 km total = 10000 = 0x2710.
    EXPECT_EQ(chip.tick(*chip.nextDueUs(), faults), "A0 0F 00 00 10 27 00 00\r\n");
}

TEST_F(Chip, AGroupTheVehicleDoesNotSendIsMonitoredSilently)
{
    initialise();
    send("ATMP00FECA\r", 0);
    EXPECT_TRUE(chip.monitoring());
    EXPECT_EQ(chip.tick(10000 * kMs, faults), "");
    EXPECT_EQ(send("\r"), "\r\n>");
}

TEST_F(Chip, ACarriageReturnAloneRepeatsTheLastCommand)
{
    initialise();
    EXPECT_EQ(send("ATRV\r"), "ATRV\r\n27.6V\r\n\r\n>");
    vehicle.values.batteryVolts = 13.8;
    EXPECT_EQ(send("\r"), "\r\n13.8V\r\n\r\n>");
}

TEST_F(Chip, AnOverlongCommandLineIsRefused)
{
    initialise();
    const std::string reply = send(std::string(100, 'A') + "\r");
    EXPECT_EQ(reply.substr(reply.size() - 6), "?\r\n\r\n>");
    EXPECT_EQ(send("ATH1\r").substr(6), "OK\r\n\r\n>");
}

TEST_F(Chip, BroadcastDivisorShortensEveryPeriod)
{
    initialise();
    chip.setBroadcastDivisor(20);
    send("ATMP00FEF7\r", 0);
    const std::int64_t first = *chip.nextDueUs();
    EXPECT_LE(first, 50 * kMs);
    chip.tick(first, faults);
    EXPECT_EQ(*chip.nextDueUs(), first + 50 * kMs);
    // Engine speed comes every 10 ms, not every millisecond.
    send("\r");
    send("ATMP00F004\r", 0);
    const std::int64_t engine = *chip.nextDueUs();
    chip.tick(engine, faults);
    EXPECT_EQ(*chip.nextDueUs(), engine + 10 * kMs);
}

TEST_F(Chip, BufferFullEndsMonitoring)
{
    initialise();
    send("ATMP00F004\r", 0);
    EXPECT_EQ(chip.bufferFull(faults), "BUFFER FULL\r\n\r\n>");
    EXPECT_FALSE(chip.monitoring());
}

TEST_F(Chip, Faults)
{
    initialise();
    faults.silent = true;
    EXPECT_EQ(send("ATH1\r"), "");
    send("ATMP00F004\r", 0);
    EXPECT_EQ(chip.tick(*chip.nextDueUs(), faults), "");
    send("\r");

    faults = {};
    faults.noPrompt = true;
    EXPECT_EQ(send("ATH1\r"), "ATH1\r\nOK\r\n\r\n");

    faults = {};
    faults.garbage = true;
    const std::string noise = send("ATH1\r");
    EXPECT_EQ(noise.size(), std::string("ATH1\r\nOK\r\n\r\n>").size());
    for (char c : noise)
        EXPECT_GE(static_cast<unsigned char>(c), 0x80);

    faults = {};
    faults.statusLine = "CAN ERROR";
    EXPECT_EQ(send("ATMP00F004\r", 0), "ATMP00F004\r\nCAN ERROR\r\n\r\n>");
    EXPECT_FALSE(chip.monitoring());
}

TEST(ParameterGroups, EncodeTheValuesAtTheirJ1939Positions)
{
    const VehicleValues v{621, 80, 85, 1250, 500, 45613.5, 27.6, 512.35, 85, 45};
    const struct {
        std::uint32_t pgn;
        std::vector<std::uint8_t> data;
    } rows[] = {
        {0xF004, {0xF0, 0xA5, 0xA5, 0x68, 0x13, 0x00, 0xF0, 0xA5}},
        {0xFEF1, {0xF3, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0xC0}},
        {0xFE6C, {0x43, 0x00, 0x00, 0x00, 0x20, 0x35, 0x00, 0x55}},
        {0xFEE0, {0xA0, 0x0F, 0x00, 0x00, 0x10, 0x27, 0x00, 0x00}},
        {0xFEE9, {0xFF, 0xFF, 0xFF, 0xFF, 0x5B, 0x64, 0x01, 0x00}},
        {0xFEF7, {0x7D, 0x1E, 0x2C, 0x02, 0x28, 0x02, 0x28, 0x02}},
        {0xFEEE, {0x7D, 0x55, 0x00, 0x2E, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0xFEB0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                  0xFF, 0xFF, 0x07, 0x28, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.pgn);
        const ParameterGroup* g = findParameterGroup(r.pgn);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->encode(v), r.data);
    }
    EXPECT_EQ(findParameterGroup(0xFECA), nullptr);
}

TEST(ParameterGroups, ValuesBeyondTheRangeSaturateBelowNotAvailable)
{
    VehicleValues v{};
    v.engineSpeedRpm = 1e9;
    v.odometerKm = 1e12;
    v.coolantCelsius = -100;
    EXPECT_EQ(findParameterGroup(0xF004)->encode(v)[4], 0xFA);
    const auto vd = findParameterGroup(0xFEE0)->encode(v);
    EXPECT_EQ(std::vector<std::uint8_t>(vd.begin() + 4, vd.end()), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFA}));
    EXPECT_EQ(findParameterGroup(0xFEEE)->encode(v)[0], 0x00);
}

TEST(ParameterGroups, ASensorTheVehicleLacksIsSentAsNotAvailable)
{
    VehicleValues v{};
    v.coolantCelsius = 85;
    v.fuelCelsius.reset();
    auto et1 = findParameterGroup(0xFEEE)->encode(v);
    EXPECT_EQ(et1[0], 125);
    EXPECT_EQ(et1[1], 0xFF);
    v.coolantCelsius.reset();
    v.fuelCelsius = 45;
    et1 = findParameterGroup(0xFEEE)->encode(v);
    EXPECT_EQ(std::vector<std::uint8_t>(et1.begin(), et1.begin() + 4), (std::vector<std::uint8_t>{0xFF, 85, 0xFF, 0xFF}));
}

} // namespace
