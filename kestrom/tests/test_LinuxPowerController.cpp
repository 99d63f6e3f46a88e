// The Linux back ends against fake sysfs trees in temporary folders, and CKestrom over them as on a
// machine without the vendor driver. The tests run with TZ=UTC.
#include "Kestrom.h"
#include "LinuxBacklight.h"
#include "LinuxPowerController.h"
#include "LinuxRtcWake.h"
#include "LinuxUpsBattery.h"
#include "ProcessPowerController.h"
#include "RtcWakeSetting.h"
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

TEST(RtcWakeSetting, FileTextBothWays)
{
    const RtcWakeSetting on{true, {23, 5, 9}};
    EXPECT_EQ(formatRtcWakeSetting(on), "# Kestrom: wake at a time of day\nWakeOnRtc=1\nWakeTime=23:05:09\n");
    const auto back = parseRtcWakeSetting(formatRtcWakeSetting(on));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->enabled);
    EXPECT_EQ(std::vector<int>({back->time.hour, back->time.minute, back->time.second}), std::vector<int>({23, 5, 9}));

    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"WakeOnRtc=0\nWakeTime=00:00:00", true},
        {"\r\n# edited by hand\r\n WakeTime = 07:30:00 \r\nWakeOnRtc=1\r\n", true},
        {"", false},
        {"WakeOnRtc=1\n", false},
        {"WakeTime=07:30:00\n", false},
        {"WakeOnRtc=2\nWakeTime=07:30:00\n", false},
        {"WakeOnRtc=1\nWakeTime=24:00:00\n", false},
        {"WakeOnRtc=1\nWakeTime=07:60:00\n", false},
        {"WakeOnRtc=1\nWakeTime=7:30:00\n", false},
        {"WakeOnRtc=1\nWakeTime=07:30:00\nBrightness=50\n", false},
        {"WakeOnRtc=1\nWakeTime=07:30:00\ngarbage\n", false},
        {"\x7f" "ELF\x02\x01\x01", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseRtcWakeSetting(c.text).has_value(), c.valid);
    }
}

TEST(RtcWakeSetting, StateFileLocation)
{
    EXPECT_EQ(rtcWakeStatePath("/state", "/home/u"), "/state/tarvik/rtc-wake.ini");
    EXPECT_EQ(rtcWakeStatePath("/state/", "/home/u"), "/state/tarvik/rtc-wake.ini");
    EXPECT_EQ(rtcWakeStatePath(nullptr, "/home/u"), "/home/u/.local/state/tarvik/rtc-wake.ini");
    EXPECT_EQ(rtcWakeStatePath("", "/home/u/"), "/home/u/.local/state/tarvik/rtc-wake.ini");
    EXPECT_EQ(rtcWakeStatePath("relative", "/home/u"), "/home/u/.local/state/tarvik/rtc-wake.ini");
    EXPECT_EQ(rtcWakeStatePath(nullptr, nullptr), "");
    EXPECT_EQ(rtcWakeStatePath(nullptr, "relative"), "");
}

std::vector<int> hms(const std::optional<WakeTime>& t)
{
    return t ? std::vector<int>({t->hour, t->minute, t->second}) : std::vector<int>();
}

class LinuxRtc : public testing::Test {
protected:
    void SetUp() override { writeFile(alarmPath(), "\n"); }
    std::string alarmPath() const { return sys.file("class/rtc/rtc0/wakealarm"); }
    std::string alarm() const { return readFile(alarmPath()); }
    std::string stateText() const { return readFile(statePath); }

    TempDir sys;
    TempDir state;
    const std::string statePath = state.file("tarvik/rtc-wake.ini");
    std::time_t now = kNow;
    LinuxRtcWake rtc{sys.path(), statePath, [this] { return now; }};
};

TEST_F(LinuxRtc, SwitchAndTimeAreKestromsOwnAndTheAlarmFollowsThem)
{
    // Nothing stored yet: off, at the factory time.
    EXPECT_EQ(rtc.enabled(), false);
    EXPECT_EQ(hms(rtc.wakeTime()), std::vector<int>({7, 0, 0}));

    // A time set while off is stored; the alarm stays disarmed.
    ASSERT_TRUE(rtc.setWakeTime({6, 0, 0}));
    EXPECT_EQ(alarm(), "\n");
    EXPECT_EQ(hms(rtc.wakeTime()), std::vector<int>({6, 0, 0}));
    EXPECT_EQ(stateText(), "# Kestrom: wake at a time of day\nWakeOnRtc=0\nWakeTime=06:00:00\n");

    // On: armed for the next 06:00, 7 h 46 min 40 s away.
    ASSERT_TRUE(rtc.setEnabled(true));
    EXPECT_EQ(alarm(), std::to_string(kNow + 28000));
    EXPECT_EQ(rtc.enabled(), true);
    // 23:50 is 1 h 36 min 40 s away; 00:10 is past midnight.
    ASSERT_TRUE(rtc.setWakeTime({23, 50, 0}));
    EXPECT_EQ(alarm(), std::to_string(kNow + 5800));
    ASSERT_TRUE(rtc.setWakeTime({0, 10, 0}));
    EXPECT_EQ(alarm(), std::to_string(kNow + 7000));

    // Off: disarmed, and the time is still there to read (the program's suspend reads it).
    ASSERT_TRUE(rtc.setEnabled(false));
    EXPECT_EQ(alarm(), "0");
    EXPECT_EQ(rtc.enabled(), false);
    EXPECT_EQ(hms(rtc.wakeTime()), std::vector<int>({0, 10, 0}));

    // On again a day later: the same time of day, next occurrence.
    now += 86400;
    ASSERT_TRUE(rtc.setEnabled(true));
    EXPECT_EQ(alarm(), std::to_string(kNow + 86400 + 7000));

    // The alarm fired (the kernel empties it) or was armed by someone else: the switch is unchanged.
    writeFile(alarmPath(), "\n");
    EXPECT_EQ(rtc.enabled(), true);
    ASSERT_TRUE(rtc.setEnabled(false));
    writeFile(alarmPath(), "1700100000\n");
    EXPECT_EQ(rtc.enabled(), false);
    ASSERT_TRUE(rtc.setEnabled(false)) << "switching off disarms whatever armed the alarm";
    EXPECT_EQ(alarm(), "0");
}

TEST_F(LinuxRtc, SettingIsSharedAndSurvivesARestart)
{
    ASSERT_TRUE(rtc.setWakeTime({5, 45, 30}));
    ASSERT_TRUE(rtc.setEnabled(true));
    // Another process, or the next start.
    LinuxRtcWake other{sys.path(), statePath, [this] { return now; }};
    EXPECT_EQ(other.enabled(), true);
    EXPECT_EQ(hms(other.wakeTime()), std::vector<int>({5, 45, 30}));
    ASSERT_TRUE(other.setEnabled(false));
    EXPECT_EQ(rtc.enabled(), false);
}

TEST_F(LinuxRtc, RefusedAlarmOrStateLeaveEverythingAsItWas)
{
    ASSERT_TRUE(rtc.setWakeTime({6, 0, 0}));
    const std::string stored = stateText();

    // The kernel (or the permissions) refuses the alarm: /dev/full reads, but takes no write.
    std::filesystem::remove(alarmPath());
    std::filesystem::create_symlink("/dev/full", alarmPath());
    EXPECT_FALSE(rtc.setEnabled(true));
    EXPECT_FALSE(rtc.setEnabled(false));
    EXPECT_EQ(stateText(), stored);
    EXPECT_EQ(rtc.enabled(), false);
    EXPECT_TRUE(rtc.setWakeTime({6, 30, 0})) << "while off the alarm is not touched";

    // A state folder that cannot be made (a file stands in its way): nothing changes.
    std::filesystem::remove(alarmPath());
    writeFile(alarmPath(), "\n");
    writeFile(state.file("blocked"), "");
    LinuxRtcWake blocked{sys.path(), state.file("blocked/tarvik/rtc-wake.ini"), [this] { return now; }};
    EXPECT_FALSE(blocked.setEnabled(true));
    EXPECT_EQ(alarm(), "\n");
    EXPECT_EQ(blocked.enabled(), false);
    EXPECT_FALSE(LinuxRtcWake(sys.path(), "", [this] { return now; }).setWakeTime({6, 0, 0}))
        << "nowhere to keep the setting";
}

TEST_F(LinuxRtc, DamagedStateGivesTheDefaultsWithOneLine)
{
    writeFile(statePath, "WakeOnRtc=1\nWakeTime=25:00:00\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(rtc.enabled(), false);
    EXPECT_EQ(hms(rtc.wakeTime()), std::vector<int>({7, 0, 0}));
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "Kestrom: RTC wake state " + statePath +
                        " is damaged; wake by time is off until it is set again\n");
    ASSERT_TRUE(rtc.setWakeTime({8, 0, 0}));
    EXPECT_EQ(hms(rtc.wakeTime()), std::vector<int>({8, 0, 0}));
}

TEST_F(LinuxRtc, NoAlarmDeviceFails)
{
    std::filesystem::remove(alarmPath());
    EXPECT_EQ(rtc.enabled(), std::nullopt);
    EXPECT_EQ(rtc.wakeTime(), std::nullopt);
    EXPECT_FALSE(rtc.setEnabled(true));
    EXPECT_FALSE(rtc.setEnabled(false));
    EXPECT_FALSE(rtc.setWakeTime({6, 0, 0}));
    EXPECT_FALSE(std::filesystem::exists(statePath));
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
    TempDir state;
    LinuxPowerController controller{sys.path(), state.file("rtc-wake.ini"), [] { return kNow; }};
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

    // Switched off: the alarm is disarmed, but the wake time reads as the user set it, never as
    // a failure with the caller's zeros (which a suspend would take for midnight).
    EXPECT_EQ(k.vWU_WakeOnRTCSwitch(0), 1);
    EXPECT_EQ(readFile(sys.file("class/rtc/rtc0/wakealarm")), "0");
    EXPECT_EQ(k.vWU_WakeOnRTCStatus(&i), 1);
    EXPECT_EQ(i, 0);
    h = m = s = 0;
    EXPECT_EQ(k.vWU_WakeOnRTCTimerStatus(&h, &m, &s), 1);
    EXPECT_EQ(std::vector<int>({h, m, s}), std::vector<int>({7, 30, 0}));
    EXPECT_EQ(k.vWU_WakeOnRTCStatus(&i), 1);
    EXPECT_EQ(i, 0) << "reading the time does not switch the wake on";
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
