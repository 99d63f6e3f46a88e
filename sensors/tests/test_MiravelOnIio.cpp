// CMiravel's G-sensor over the Linux IIO back end, on a fake sysfs tree: what a machine with a
// broken or vanishing accelerometer gives.
#include "FakeSensorService.h"
#include "Miravel.h"
#include "SimulatedEcPorts.h"
#include "TestSupport.h"
#include "linux/LinuxSensorService.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tarvik::test;

namespace {

constexpr std::int32_t kOpenFailed = static_cast<std::int32_t>(0x80030002);

class MiravelOnIio : public testing::Test {
protected:
    void SetUp() override
    {
        firmware.strings["BIOSVersion"] = L"KTA1.06";
        writeFile(sys.file("iio:device0/name"), "lsm6dsl\n");
        writeFile(sys.file("iio:device0/in_accel_x_raw"), "0\n");
        writeFile(sys.file("iio:device0/in_accel_y_raw"), "1000\n");
        writeFile(sys.file("iio:device0/in_accel_z_raw"), "-1000\n");
        writeFile(sys.file("iio:device0/in_accel_scale"), "0.00980665\n");
    }
    int read(CMiravel& miravel, CMiravel::GSensorData& g)
    {
        testing::internal::CaptureStdout();
        const int result = miravel.vSR_GSensorValueGet(&g);
        output = testing::internal::GetCapturedStdout();
        return result;
    }

    TempDir sys;
    tarvik::LinuxSensorService iio{sys.path()};
    SimulatedEcPorts ports;
    RecordingSleeper sleeper;
    FakeFirmwareInfo firmware;
    PortIoOverride portGuard{ports};
    SleeperOverride sleepGuard{sleeper};
    FirmwareOverride firmwareGuard{firmware};
    SensorServiceOverride sensorGuard{iio};
    std::string output;
};

TEST_F(MiravelOnIio, ReadsTheAccelerometerInG)
{
    CMiravel miravel;
    CMiravel::GSensorData g{};
    ASSERT_EQ(read(miravel, g), 1) << output;
    EXPECT_NEAR(g.x, 0.0, 1e-12);
    EXPECT_NEAR(g.y, 1.0, 1e-12);
    EXPECT_NEAR(g.z, -1.0, 1e-12);
}

TEST_F(MiravelOnIio, ABrokenOrMissingDeviceFailsToOpenWithOneLine)
{
    const struct {
        const char* name;
        void (*breakIt)(const TempDir&);
        const char* line;
    } cases[] = {
        {"garbage in a value", [](const TempDir& s) { writeFile(s.file("iio:device0/in_accel_z_raw"), "n/a\n"); },
         "vSR_GSensorValueGet: initSensor failed, hr = 0x8007001E\n"},
        {"value unreadable",
         [](const TempDir& s) {
             std::filesystem::remove(s.file("iio:device0/in_accel_y_raw"));
             std::filesystem::create_directory(s.file("iio:device0/in_accel_y_raw"));
         },
         "vSR_GSensorValueGet: initSensor failed, hr = 0x8007001E\n"},
        {"device removed", [](const TempDir& s) { std::filesystem::remove_all(s.file("iio:device0")); },
         "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
        {"no IIO at all", [](const TempDir& s) { std::filesystem::remove_all(s.path()); },
         "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(sys.file("iio:device0"));
        SetUp();
        CMiravel miravel;
        CMiravel::GSensorData g{};
        ASSERT_EQ(read(miravel, g), 1) << "works before it breaks";
        c.breakIt(sys);
        EXPECT_EQ(read(miravel, g), 0);
        EXPECT_EQ(miravel.getLastErrorNumber(), kOpenFailed);
        EXPECT_EQ(output, c.line);
    }
}

} // namespace
