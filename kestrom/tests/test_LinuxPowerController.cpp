// The Linux back ends against fake sysfs trees in temporary folders, and CKestrom over them as on a
// machine without the vendor driver. The tests run with TZ=UTC.
#include "Kestrom.h"
#include "LinuxBacklight.h"
#include "LinuxPowerController.h"
#include "LinuxRtcWake.h"
#include "LinuxUpsBattery.h"
#include "ProcessPowerController.h"
#include "TestSupport.h"

#include <filesystem>
#include <map>
#include <gtest/gtest.h>

using namespace tarvik::test;
using namespace tarvik::kestrom;

namespace {

// 2023-11-14 22:13:20 UTC.
constexpr std::time_t kNow = 1700000000;

void backlight(const TempDir& sys, const std::string& name, const std::string& type, long max, long level)
{
    const std::string dir = sys.file("class/backlight/" + name);
    writeFile(dir + "/type", type + "\n");
    writeFile(dir + "/max_brightness", std::to_string(max) + "\n");
    writeFile(dir + "/brightness", std::to_string(level) + "\n");
}

std::string level(const TempDir& sys, const std::string& name)
{
    return readFile(sys.file("class/backlight/" + name + "/brightness"));
}

TEST(LinuxBacklight, TakesTheFirmwareDeviceAndScalesItTo100)
{
    TempDir sys;
    backlight(sys, "acpi_video0", "firmware", 255, 128);
    backlight(sys, "amdgpu_bl0", "raw", 1000, 10);
    backlight(sys, "0000:00:02.0", "raw", 1000, 10);
    LinuxBacklight b(sys.path());
    EXPECT_EQ(b.percent(), 50);
    EXPECT_TRUE(b.setPercent(20));
    EXPECT_EQ(level(sys, "acpi_video0"), "51");
    EXPECT_EQ(level(sys, "amdgpu_bl0"), "10\n");
    EXPECT_EQ(b.percent(), 20);
    // Changed by someone else (the brightness keys of the desktop): read as it is.
    writeFile(sys.file("class/backlight/acpi_video0/brightness"), "255\n");
    EXPECT_EQ(b.percent(), 100);
}

TEST(LinuxBacklight, StepsOfTenNeverStickOnACoarseBacklight)
{
    TempDir sys;
    backlight(sys, "intel_backlight", "raw", 7, 7);
    LinuxBacklight b(sys.path());
    int value = b.percent().value_or(-1);
    ASSERT_EQ(value, 100);
    // The brightness-down key: read, subtract 10, write, until 0.
    for (int expected = 90; expected >= 0; expected -= 10) {
        ASSERT_TRUE(b.setPercent(value - 10));
        value = b.percent().value_or(-1);
        EXPECT_EQ(value, expected);
    }
    for (int expected = 10; expected <= 100; expected += 10) {
        ASSERT_TRUE(b.setPercent(value + 10));
        value = b.percent().value_or(-1);
        EXPECT_EQ(value, expected);
    }
}

TEST(LinuxBacklight, NoUsableDeviceFails)
{
    TempDir sys;
    LinuxBacklight none(sys.path());
    EXPECT_EQ(none.percent(), std::nullopt);
    EXPECT_FALSE(none.setPercent(50));

    backlight(sys, "broken", "raw", 0, 0);
    EXPECT_EQ(LinuxBacklight(sys.path()).percent(), std::nullopt) << "a max_brightness of 0 cannot be scaled";

    // A brightness attribute that cannot be written (a folder stands in for a refused write).
    TempDir locked;
    backlight(locked, "acpi_video0", "firmware", 100, 40);
    std::filesystem::remove(locked.file("class/backlight/acpi_video0/brightness"));
    std::filesystem::create_directories(locked.file("class/backlight/acpi_video0/brightness"));
    LinuxBacklight b(locked.path());
    EXPECT_FALSE(b.setPercent(50));
    EXPECT_EQ(b.percent(), std::nullopt);
}

void supply(const TempDir& sys, const std::string& name, const std::map<std::string, std::string>& attributes)
{
    for (const auto& [attribute, value] : attributes)
        writeFile(sys.file("class/power_supply/" + name + "/" + attribute), value + "\n");
}

TEST(LinuxUpsBattery, PrefersTheUpsThenTheMachinesOwnBattery)
{
    TempDir sys;
    supply(sys, "AC", {{"type", "Mains"}, {"online", "1"}});
    supply(sys, "hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "15"}});
    supply(sys, "BAT0", {{"type", "Battery"}, {"present", "1"}, {"capacity", "64"}});
    EXPECT_EQ(LinuxUpsBattery(sys.path()).capacity(), 64) << "a mouse's battery is not the UPS";
    supply(sys, "ups", {{"type", "UPS"}, {"capacity", "85"}});
    EXPECT_EQ(LinuxUpsBattery(sys.path()).capacity(), 85);
}

TEST(LinuxUpsBattery, ChargeFromOtherAttributesAndClamped)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> attributes;
        std::optional<int> percent;
    };
    const Case cases[] = {
        {"energy", {{"type", "Battery"}, {"energy_now", "30000000"}, {"energy_full", "40000000"}}, 75},
        {"charge", {{"type", "Battery"}, {"charge_now", "1000"}, {"charge_full", "3000"}}, 33},
        {"over 100", {{"type", "Battery"}, {"capacity", "104"}}, 100},
        {"absent", {{"type", "Battery"}, {"present", "0"}, {"capacity", "50"}}, std::nullopt},
        {"no charge given", {{"type", "Battery"}, {"status", "Charging"}}, std::nullopt},
        {"garbage", {{"type", "Battery"}, {"capacity", "lots"}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir sys;
        supply(sys, "BAT0", c.attributes);
        EXPECT_EQ(LinuxUpsBattery(sys.path()).capacity(), c.percent);
    }
    TempDir empty;
    EXPECT_EQ(LinuxUpsBattery(empty.path()).capacity(), std::nullopt);
}

class LinuxRtc : public testing::Test {
protected:
    void SetUp() override { writeFile(alarmPath(), "\n"); }
    std::string alarmPath() const { return sys.file("class/rtc/rtc0/wakealarm"); }
    std::string alarm() const { return readFile(alarmPath()); }

    TempDir sys;
    std::time_t now = kNow;
    LinuxRtcWake rtc{sys.path(), [this] { return now; }};
};

TEST_F(LinuxRtc, ArmsForTheNextTimeTheClockShowsTheWakeTime)
{
    EXPECT_EQ(rtc.armed(), false);
    EXPECT_EQ(rtc.wakeTime(), std::nullopt);
    EXPECT_FALSE(rtc.setWakeTime({6, 0, 0})) << "the kernel keeps a time only while armed";

    // Switched on with no time used yet: this time of day, tomorrow.
    ASSERT_TRUE(rtc.setArmed(true));
    EXPECT_EQ(alarm(), std::to_string(kNow + 86400));
    EXPECT_EQ(rtc.armed(), true);
    const auto shown = rtc.wakeTime();
    ASSERT_TRUE(shown);
    EXPECT_EQ(std::vector<int>({shown->hour, shown->minute, shown->second}), std::vector<int>({22, 13, 20}));

    // 23:50 is 1 h 36 min 40 s away; 00:10 is past midnight.
    ASSERT_TRUE(rtc.setWakeTime({23, 50, 0}));
    EXPECT_EQ(alarm(), std::to_string(kNow + 5800));
    ASSERT_TRUE(rtc.setWakeTime({0, 10, 0}));
    EXPECT_EQ(alarm(), std::to_string(kNow + 7000));

    // Off and on again a day later: the same time of day, next occurrence.
    ASSERT_TRUE(rtc.setArmed(false));
    EXPECT_EQ(alarm(), "0");
    EXPECT_EQ(rtc.armed(), false);
    now += 86400;
    ASSERT_TRUE(rtc.setArmed(true));
    EXPECT_EQ(alarm(), std::to_string(kNow + 86400 + 7000));
    // Already armed: left as it is.
    writeFile(alarmPath(), "1700100000\n");
    ASSERT_TRUE(rtc.setArmed(true));
    EXPECT_EQ(alarm(), "1700100000\n");
}

TEST_F(LinuxRtc, NoAlarmDeviceFails)
{
    std::filesystem::remove(alarmPath());
    EXPECT_EQ(rtc.armed(), std::nullopt);
    EXPECT_FALSE(rtc.setArmed(true));
    EXPECT_FALSE(rtc.setArmed(false));
    EXPECT_EQ(rtc.wakeTime(), std::nullopt);
    writeFile(alarmPath(), "soon\n");
    EXPECT_EQ(rtc.armed(), std::nullopt);
}

// CKestrom as on real hardware: the process's power controller is the Linux one over a fake tree.
class KestromOnLinux : public testing::Test {
protected:
    void SetUp() override
    {
        backlight(sys, "acpi_video0", "firmware", 100, 60);
        supply(sys, "BAT0", {{"type", "Battery"}, {"capacity", "77"}});
        writeFile(sys.file("class/rtc/rtc0/wakealarm"), "");
        tarvik::kestrom::overrideProcessPowerController(&controller);
    }
    void TearDown() override { tarvik::kestrom::overrideProcessPowerController(nullptr); }

    TempDir sys;
    LinuxPowerController controller{sys.path(), [] { return kNow; }};
};

TEST_F(KestromOnLinux, BacklightUpsAndRtcWakeWork)
{
    CKestrom k;
    int i = 0;
    EXPECT_EQ(k.vBC_BrightnessValueGet(&i), 1);
    EXPECT_EQ(i, 60);
    EXPECT_EQ(k.vBC_BrightnessValueSet(35), 1);
    EXPECT_EQ(level(sys, "acpi_video0"), "35");
    EXPECT_EQ(k.vBC_BrightnessValueSet(150), 0);
    EXPECT_EQ(level(sys, "acpi_video0"), "35");
    EXPECT_EQ(k.vUPSBatteryCapacity(&i), 1);
    EXPECT_EQ(i, 77);

    EXPECT_EQ(k.vWU_WakeOnRTCStatus(&i), 1);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(k.vWU_WakeOnRTCSwitch(1), 1);
    EXPECT_EQ(k.vWU_WakeOnRTCTimer(7, 30, 0), 1);
    unsigned char h = 0, m = 0, s = 0;
    EXPECT_EQ(k.vWU_WakeOnRTCTimerStatus(&h, &m, &s), 1);
    EXPECT_EQ(std::vector<int>({h, m, s}), std::vector<int>({7, 30, 0}));
    EXPECT_EQ(k.vWU_WakeOnRTCTimer(24, 0, 0), 0);
    EXPECT_EQ(k.vWU_WakeOnRTCSwitch(0), 1);
    EXPECT_EQ(k.vWU_WakeOnRTCStatus(&i), 1);
    EXPECT_EQ(i, 0);
}

TEST_F(KestromOnLinux, EverythingElseNeedsTheVendorDriver)
{
    CKestrom k;
    int i = 0;
    unsigned u = 0;
    unsigned char b = 0;
    float f = 0;
    char code[20] = {};
    CKestrom::ECOM2Type t{};
    const std::pair<const char*, int> results[] = {
        {"vPM_ACCStatus", k.vPM_ACCStatus(&i)},
        {"WU_WakeOnACCSwitch", k.WU_WakeOnACCSwitch(1)},
        {"vPM_InputVoltageGet", k.vPM_InputVoltageGet(&i)},
        {"vPM_PowerOnDelayGet", k.vPM_PowerOnDelayGet(&u)},
        {"vPM_24VStartupGet", k.vPM_24VStartupGet(&f)},
        {"vPM_24VStartupSet", k.vPM_24VStartupSet(24.0f)},
        {"vPM_RQ63PowerBoard", k.vPM_RQ63PowerBoard(&i)},
        {"vWU_WakeOnSMSStatus", k.vWU_WakeOnSMSStatus(&i)},
        {"vWU_WakeOnSMSStringCheck", k.vWU_WakeOnSMSStringCheck(&i)},
        {"vWU_WakeOnSMSStringInit", k.vWU_WakeOnSMSStringInit()},
        {"vWU_WakeOnSMSStringSet", k.vWU_WakeOnSMSStringSet("0123ABCD")},
        {"vWU_WakeOnSMSStringGet", k.vWU_WakeOnSMSStringGet(code)},
        {"vTimer_WatchdogTimerSwitch", k.vTimer_WatchdogTimerSwitch(0)},
        {"vTimer_WatchdogTimerGet", k.vTimer_WatchdogTimerGet(&b)},
        {"vTimer_WatchdogTimerSimulate", k.vTimer_WatchdogTimerSimulate()},
        {"vBC_AutoDimmingSwitch", k.vBC_AutoDimmingSwitch(1)},
        {"vIO_COM1VoltageSet", k.vIO_COM1VoltageSet(5)},
        {"vIO_COM2TypeGet", k.vIO_COM2TypeGet(&t)},
        {"EB_EmergencyButtonReset", k.EB_EmergencyButtonReset()},
        {"vVehicleBatteryVoltage", k.vVehicleBatteryVoltage(&i)},
    };
    for (const auto& [method, result] : results)
        EXPECT_EQ(result, 0) << method;
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f, 0.0f);
}

} // namespace
