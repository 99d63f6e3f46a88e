// What the power controller accepts, and the arithmetic of the Linux back ends.
#include "PowerRules.h"
#include "SysfsValues.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace tarvik::kestrom;
using tarvik::board::Nominal;
using tarvik::board::PowerValue;
using tarvik::board::Threshold;

namespace {

struct ValueCase {
    PowerValue value;
    long long requested;
    std::optional<std::int32_t> stored;
};

class CheckValue : public testing::TestWithParam<ValueCase> {};

TEST_P(CheckValue, StoresOrRefuses)
{
    const ValueCase& c = GetParam();
    EXPECT_EQ(rules::checkValue(c.value, c.requested), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CheckValue,
    testing::Values(
        // Switches: any int, nonzero = on.
        ValueCase{PowerValue::AccDetect, 0, 0}, ValueCase{PowerValue::AccDetect, 1, 1},
        ValueCase{PowerValue::Watchdog, -7, 1}, ValueCase{PowerValue::WakeOnSms, 0x7fffffff, 1},
        // Input voltage: the nominal inputs and 9 for the wide range.
        ValueCase{PowerValue::InputVoltage, 9, 9}, ValueCase{PowerValue::InputVoltage, 48, 48},
        ValueCase{PowerValue::InputVoltage, 10, std::nullopt}, ValueCase{PowerValue::InputVoltage, 60, std::nullopt},
        // Delay codes 1-8; an unsigned 0xFFFFFFFF must not pass as -1.
        ValueCase{PowerValue::PowerOnDelay, 1, 1}, ValueCase{PowerValue::PowerOffDelay, 8, 8},
        ValueCase{PowerValue::PowerOnDelay, 0, std::nullopt}, ValueCase{PowerValue::PowerOffDelay, 9, std::nullopt},
        ValueCase{PowerValue::PowerOnDelay, 0xFFFFFFFFLL, std::nullopt},
        ValueCase{PowerValue::Brightness, 0, 0}, ValueCase{PowerValue::Brightness, 100, 100},
        ValueCase{PowerValue::Brightness, 101, std::nullopt}, ValueCase{PowerValue::Brightness, -1, std::nullopt},
        ValueCase{PowerValue::WatchdogTimeout, 255, 255}, ValueCase{PowerValue::WatchdogTimeout, 256, std::nullopt},
        ValueCase{PowerValue::Com1Voltage, 12, 12}, ValueCase{PowerValue::Com1Voltage, 3, std::nullopt},
        ValueCase{PowerValue::Com2Type, 3, 3}, ValueCase{PowerValue::Com2Type, 0, std::nullopt},
        ValueCase{PowerValue::Com2Type, 485, std::nullopt},
        ValueCase{PowerValue::GsmSerialPort, 256, 256}, ValueCase{PowerValue::GsmSerialPort, 0, std::nullopt},
        ValueCase{PowerValue::GsmBaudRate, 115200, 115200}, ValueCase{PowerValue::GsmBaudRate, 115201, std::nullopt},
        ValueCase{PowerValue::RtcHour, 23, 23}, ValueCase{PowerValue::RtcHour, 24, std::nullopt},
        ValueCase{PowerValue::RtcMinute, 60, std::nullopt},
        // Inputs of the controller have no setter.
        ValueCase{PowerValue::AccLine, 1, std::nullopt}, ValueCase{PowerValue::UpsCapacity, 50, std::nullopt},
        ValueCase{PowerValue::EmergencyLatch, 0, std::nullopt},
        ValueCase{PowerValue::SmsStoreReady, 1, std::nullopt}));

TEST(Thresholds, EachNominalAcceptsItsDialogsColumnsAndNothingBeyond)
{
    struct Row {
        Nominal nominal;
        Threshold threshold;
        float low;
        float high;
    };
    const Row rows[] = {
        {Nominal::V12, Threshold::Startup, 11.5f, 12.5f}, {Nominal::V12, Threshold::Shutdown, 10.5f, 11.5f},
        {Nominal::V24, Threshold::Startup, 23.0f, 25.0f}, {Nominal::V24, Threshold::Shutdown, 21.0f, 23.0f},
        {Nominal::V36, Threshold::Startup, 35.0f, 37.0f}, {Nominal::V36, Threshold::Shutdown, 33.0f, 35.0f},
        {Nominal::V48, Threshold::Startup, 46.5f, 48.5f}, {Nominal::V48, Threshold::Shutdown, 44.5f, 46.5f},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.low << ".." << r.high);
        // As the dialogs compute them: tenths * 0.1 in double, passed as float.
        EXPECT_TRUE(rules::acceptsThreshold(r.nominal, r.threshold, static_cast<float>(std::lround(r.low * 10) * 0.1)));
        EXPECT_TRUE(rules::acceptsThreshold(r.nominal, r.threshold, static_cast<float>(std::lround(r.high * 10) * 0.1)));
        EXPECT_FALSE(rules::acceptsThreshold(r.nominal, r.threshold, r.low - 0.1f));
        EXPECT_FALSE(rules::acceptsThreshold(r.nominal, r.threshold, r.high + 0.1f));
    }
    // Between the steps is fine: the dialog writes back what it read.
    EXPECT_TRUE(rules::acceptsThreshold(Nominal::V24, Threshold::Startup, 24.3f));
    EXPECT_FALSE(rules::acceptsThreshold(Nominal::V24, Threshold::Startup, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(rules::acceptsThreshold(Nominal::V24, Threshold::Startup, std::numeric_limits<float>::infinity()));
}

TEST(SmsCode, EightHexCapitalsAndTheTerminator)
{
    for (const char* good : {"0123ABCD", "FFFFFFFF", "00000000"}) {
        SCOPED_TRACE(good);
        EXPECT_TRUE(rules::isValidSmsCode(good));
    }
    for (const char* bad : {"0123ABC", "0123ABCDE", "0123abcd", "0123ABCG", "0123 ABC", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(rules::isValidSmsCode(bad));
    }
    EXPECT_FALSE(rules::isValidSmsCode(nullptr));
    // A short code is rejected at its terminator: nothing after it is read.
    const char shortCode[4] = {'A', 'B', 'C', '\0'};
    EXPECT_FALSE(rules::isValidSmsCode(shortCode));
}

TEST(WakeTime, HourMinuteSecondRanges)
{
    EXPECT_TRUE(rules::isValidWakeTime({23, 59, 59}));
    EXPECT_TRUE(rules::isValidWakeTime({0, 0, 0}));
    EXPECT_FALSE(rules::isValidWakeTime({24, 0, 0}));
    EXPECT_FALSE(rules::isValidWakeTime({0, 60, 0}));
    EXPECT_FALSE(rules::isValidWakeTime({0, 0, 60}));
}

TEST(SysfsValues, ParsesAttributesAsTheKernelWritesThem)
{
    EXPECT_EQ(sysfs::parseInteger("42\n"), 42);
    EXPECT_EQ(sysfs::parseInteger("0"), 0);
    EXPECT_EQ(sysfs::parseInteger("1700000000\n"), 1700000000);
    EXPECT_EQ(sysfs::parseInteger(""), std::nullopt);
    EXPECT_EQ(sysfs::parseInteger("\n"), std::nullopt);
    EXPECT_EQ(sysfs::parseInteger("12abc"), std::nullopt);
    EXPECT_EQ(sysfs::parseInteger("abc"), std::nullopt);
}

TEST(SysfsValues, BacklightLevelsAndPercentRoundToTheNearestStep)
{
    EXPECT_EQ(sysfs::levelFromPercent(50, 255), 128);
    EXPECT_EQ(sysfs::percentFromLevel(128, 255), 50);
    EXPECT_EQ(sysfs::levelFromPercent(100, 7), 7);
    EXPECT_EQ(sysfs::levelFromPercent(0, 7), 0);
    EXPECT_EQ(sysfs::levelFromPercent(90, 7), 6);
    EXPECT_EQ(sysfs::percentFromLevel(6, 7), 86);
    EXPECT_EQ(sysfs::percentFromLevel(900, 255), 100);
    // Every percentage survives the round trip when the backlight has at least 101 levels.
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(sysfs::percentFromLevel(sysfs::levelFromPercent(p, 1000), 1000), p);
}

TEST(SysfsValues, SecondsUntilTheNextWakeTime)
{
    EXPECT_EQ(sysfs::secondsUntil({23, 50, 0}, {0, 10, 0}), 1200);
    EXPECT_EQ(sysfs::secondsUntil({7, 0, 0}, {7, 0, 1}), 1);
    EXPECT_EQ(sysfs::secondsUntil({7, 0, 0}, {7, 0, 0}), 86400);
    EXPECT_EQ(sysfs::secondsUntil({0, 0, 1}, {0, 0, 0}), 86399);
}

} // namespace
