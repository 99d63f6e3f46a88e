// Initialisation and every value's command, fields and conversion, against a scripted chip.
#include "ScriptedPort.h"
#include "Stn1110Exchange.h"
#include "TestSupport.h"
#include "VehicleReader.h"

#include <gtest/gtest.h>

using namespace tarvik::vehicle;
using tarvik::vehicle::test::RecordingTrace;
using tarvik::vehicle::test::ScriptedPort;

namespace {

class Reader : public testing::Test {
protected:
    // The chip answers a command with its echo and the data line, and the CR that follows with a
    // blank line and the prompt.
    void answer(const std::string& command, const std::string& line)
    {
        port.replies[command] = {command.substr(0, command.size() - 1) + "\r\n", "", line};
        port.replies["\r"] = {"\r\n>"};
    }

    ScriptedPort port;
    tarvik::test::RecordingSleeper sleeper;
    RecordingTrace trace;
    Stn1110Exchange exchange{port, sleeper, trace};
    VehicleReader reader{exchange, trace};
};

TEST_F(Reader, InitialisationSendsTheFiveCommandsInOrder)
{
    for (const char* c : {"ATL1\r", "ATSPA\r", "ATH1\r", "ATCAF1\r", "STCMM1\r"})
        port.replies[c] = {std::string(c) + "\r\nOK\r\n\r\n>"};
    EXPECT_TRUE(reader.initialise());
    EXPECT_EQ(port.written, (std::vector<std::string>{"ATL1\r", "ATSPA\r", "ATH1\r", "ATCAF1\r", "STCMM1\r"}));
}

TEST_F(Reader, InitialisationStopsAtTheFirstCommandWithoutPrompt)
{
    port.replies["ATL1\r"] = {"ATL1\r\r\nOK\r\n\r\n>"};
    port.replies["ATSPA\r"] = {"ATSPA\r\r\n?\r\n"};
    EXPECT_FALSE(reader.initialise());
    EXPECT_EQ(port.written, (std::vector<std::string>{"ATL1\r", "ATSPA\r"}));
    EXPECT_TRUE(trace.contains("Can't read response from STN1110!\n"));
}

struct TextCase {
    VehicleValue value;
    const char* command;
    const char* line;
    int expected;
};

TEST_F(Reader, TextValuesDecodeTheirFields)
{
    const TextCase cases[] = {
        {VehicleValue::EngineSpeed, "ATMP00F004\r", "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n", 621},
        {VehicleValue::EngineSpeed, "ATMP00F004\r", "3 0F004 00 F0 7D 7D FF FD 00 F0 7D\r\n", 8127}, // below the codes
        {VehicleValue::EngineSpeed, "ATMP00F004\r", "3 0F004 00 F0 7D 7D 07 00 00 F0 7D\r\n", 0}, // 7 x 0.125
        {VehicleValue::VehicleSpeed, "ATMP00FEF1\r", "6 0FEF1 00 FF 80 50 1F 00 00 00 C0\r\n", 80},
        {VehicleValue::TachographSpeed, "ATMP00FE6C\r", "6 0FE6C EE 00 00 00 00 00 00 FF 55\r\n", 85},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.line);
        port.written.clear();
        answer(c.command, c.line);
        const auto value = reader.readText(c.value);
        ASSERT_TRUE(value);
        EXPECT_EQ(*value, c.expected);
        EXPECT_EQ(port.written, (std::vector<std::string>{c.command, "\r"}));
    }
}

struct LongCase {
    VehicleValue value;
    const char* command;
    const char* line;
    long expected;
};

TEST_F(Reader, LongValuesDecodeTheirFields)
{
    const LongCase cases[] = {
        {VehicleValue::Odometer, "ATMP00FEE0\r", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 1250},
        {VehicleValue::TripDistance, "ATMP00FEE0\r", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 500},
        {VehicleValue::Odometer, "ATMP00FEE0\r", "6 0FEE0 17 FF FF FF FF FF FF FF FA\r\n", 268435455}, // the largest value saturates
        {VehicleValue::FuelUsed, "ATMP00FEE9\r", "6 0FEE9 00 FF FF FF FF 5B 64 01 00\r\n", 45613},
        {VehicleValue::BatteryVoltage, "ATMP00FEF7\r", "6 0FEF7 00 7D 7D 30 02 28 02 28 02\r\n", 27},
    };
    for (const LongCase& c : cases) {
        SCOPED_TRACE(c.line);
        port.written.clear();
        answer(c.command, c.line);
        const auto value = reader.readLong(c.value);
        ASSERT_TRUE(value);
        EXPECT_EQ(*value, c.expected);
        EXPECT_EQ(port.written, (std::vector<std::string>{c.command, "\r"}));
    }
}

TEST_F(Reader, FuelUsedTracesRawAndLitres)
{
    answer("ATMP00FEE9\r", "6 0FEE9 00 FF FF FF FF 5B 64 01 00\r\n");
    ASSERT_TRUE(reader.readLong(VehicleValue::FuelUsed));
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"ATMP00FEE9\r\n", "6 0FEE9 00 FF FF FF FF 5B 64 01 00\r\n",
                                                     "value: 0001645B\n", "\r\n>", "[91227][45613]\n"}));
}

TEST_F(Reader, IdleTimeAndTemperatures)
{
    answer("ATMP00FEB0\r", "6 0FEB0 00 FF FF FF FF FF FF FF FF FF FF FF FF 07 28 00 00 FF FF FF FF\r\n");
    const auto idle = reader.readTripIdleHours();
    ASSERT_TRUE(idle);
    EXPECT_FLOAT_EQ(*idle, 512.35f); // 0x2807 = 10247 x 0.05

    answer("ATMP00FEEE\r", "6 0FEEE 00 7D 55 40 26 FF FF FF FF\r\n");
    const auto t = reader.readTemperatures();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->coolant, 85);
    EXPECT_EQ(t->fuel, 45);
    EXPECT_TRUE(trace.contains("value: 7D\n"));
    EXPECT_TRUE(trace.contains("value: 55\n"));
}

// Reads one value through the reader's function for it; true when it gave one.
bool readAny(VehicleReader& reader, VehicleValue value)
{
    if (value == VehicleValue::TripIdleTime)
        return reader.readTripIdleHours().has_value();
    if (value == VehicleValue::CoolantAndFuelTemperature)
        return reader.readTemperatures().has_value();
    if (valueRequest(value).conversion == Conversion::TruncatedText)
        return reader.readText(value).has_value();
    return reader.readLong(value).has_value();
}

// A status line of the interpreter or the sender's error / not-available code is no value: the
// monitoring is ended and the command named, as when no line comes.
TEST_F(Reader, LinesWithoutAValueFail)
{
    const struct {
        VehicleValue value;
        const char* command;
        const char* line;
    } cases[] = {
        {VehicleValue::TachographSpeed, "ATMP00FE6C\r", "CAN ERROR\r\n"},
        {VehicleValue::BatteryVoltage, "ATMP00FEF7\r", "NO DATA\r\n"},
        {VehicleValue::TripIdleTime, "ATMP00FEB0\r", "BUS BUSY\r\n"},
        {VehicleValue::CoolantAndFuelTemperature, "ATMP00FEEE\r", "BUFFER FULL\r\n"},
        {VehicleValue::EngineSpeed, "ATMP00F004\r", "3 0F004 00 F0 7D 7D FF FF 00 F0 7D\r\n"},
        {VehicleValue::EngineSpeed, "ATMP00F004\r", "3 0F004 00 F0 7D 7D 10 FE 00 F0 7D\r\n"},
        {VehicleValue::Odometer, "ATMP00FEE0\r", "6 0FEE0 17 00 00 00 00 FF FF FF FF\r\n"},
        {VehicleValue::FuelUsed, "ATMP00FEE9\r", "6 0FEE9 00 FF FF FF FF 5B 64 01 FE\r\n"},
        {VehicleValue::CoolantAndFuelTemperature, "ATMP00FEEE\r", "6 0FEEE 00 7D FF 40 26 FF FF FF FF\r\n"},
        {VehicleValue::CoolantAndFuelTemperature, "ATMP00FEEE\r", "6 0FEEE 00 FE 55 40 26 FF FF FF FF\r\n"},
        {VehicleValue::VehicleSpeed, "ATMP00FEF1\r", "6 0FEF1 00 F3 5\r\n"},
        {VehicleValue::VehicleSpeed, "ATMP00FEF1\r", "6 0FEF1 00 F3 ZZ 50\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        port.written.clear();
        trace.lines.clear();
        answer(c.command, c.line);
        EXPECT_FALSE(readAny(reader, c.value));
        EXPECT_EQ(port.written, (std::vector<std::string>{c.command, "\r"}));
        const std::string command(c.command);
        EXPECT_EQ(trace.lines.back(), "Cmd " + command.substr(0, command.size() - 1) + " failed!\n");
    }
}

TEST_F(Reader, NoAnswerStopsMonitoringAndNamesTheCommand)
{
    port.replies["\r"] = {"\r\n>"};
    const struct {
        VehicleValue value;
        const char* trace;
    } cases[] = {
        {VehicleValue::EngineSpeed, "Cmd ATMP00F004 failed!\n"},
        {VehicleValue::VehicleSpeed, "Cmd ATMP00FEF1 failed!\n"},
        {VehicleValue::TachographSpeed, "Cmd ATMP00FE6C failed!\n"},
        {VehicleValue::Odometer, "Cmd ATMP00FEE0 failed!\n"},
        {VehicleValue::FuelUsed, "Cmd ATMP00FEE9 failed!\n"},
        {VehicleValue::BatteryVoltage, "Cmd ATMP00FEF7 failed!\n"},
        {VehicleValue::TripIdleTime, "Cmd ATMP00FEB0 failed!\n"},
        {VehicleValue::CoolantAndFuelTemperature, "Cmd ATMP00FEEE failed!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        trace.lines.clear();
        sleeper.clear();
        port.written.clear();
        const bool got = readAny(reader, c.value);
        EXPECT_FALSE(got);
        EXPECT_EQ(port.written.back(), "\r");
        EXPECT_EQ(trace.lines.back(), c.trace);
        EXPECT_EQ(sleeper.count(20), 150u);
    }
}

TEST(Conversions, KeepTheirPrecisions)
{
    EXPECT_EQ(truncatedText(0x7FFFFFFF, 0.125), 268435456);  // 2^31 in single precision
    EXPECT_EQ(truncatedLong(0x7FFFFFFF, 0.125), 268435455);  // exact in double precision
    EXPECT_EQ(truncatedText(-1, 0.00390625), 0);
    EXPECT_EQ(truncatedLong(-1, 0.5), 0);
    EXPECT_EQ(truncatedText(16777217, 1.0), 16777216);       // the single-precision step
    EXPECT_EQ(truncatedLong(559, 0.05), 27);                 // 27.95 V
    EXPECT_EQ(truncatedLong(560, 0.05), 28);
    EXPECT_FLOAT_EQ(hours(-1, 0.05), -0.05f);
    EXPECT_FLOAT_EQ(hours(0x7FFFFFFF, 0.05), 107374182.4f);
}

} // namespace
