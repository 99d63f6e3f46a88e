// The IIO sensor back end against fake sysfs trees.
#include "TestSupport.h"
#include "linux/LinuxSensorService.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarvik;
using namespace tarvik::test;

namespace {

constexpr double kG = 9.80665;

// Attributes of one IIO device, written as sysfs would (with a trailing newline).
void device(const TempDir& root, const std::string& name, const std::vector<std::pair<std::string, std::string>>& attributes)
{
    for (const auto& [file, value] : attributes)
        writeFile(root.file(name + "/" + file), value + "\n");
}

double field(const SensorReport& r, SensorField f)
{
    for (const auto& [k, v] : r.values) {
        if (k == f)
            return v;
    }
    ADD_FAILURE() << "field missing";
    return 0;
}

bool has(const SensorReport& r, SensorField f)
{
    for (const auto& [k, v] : r.values) {
        if (k == f)
            return true;
    }
    return false;
}

TEST(LinuxSensorService, AccelerometersAndThermometersByCategoryInDeviceOrder)
{
    TempDir root;
    device(root, "iio:device10", {{"name", "bmi160"}, {"in_accel_x_raw", "0"}, {"in_accel_y_raw", "0"}, {"in_accel_z_raw", "1"},
                                  {"in_temp_raw", "0"}});
    device(root, "iio:device2", {{"name", "lis2dw12"}, {"in_accel_x_raw", "0"}, {"in_accel_y_raw", "0"}});
    device(root, "iio:device3", {{"name", "adc"}, {"in_voltage0_raw", "5"}});
    writeFile(root.file("trigger0/name"), "t\n");
    LinuxSensorService service(root.path());

    std::vector<SensorInfo> motion;
    ASSERT_EQ(service.sensors(SensorCategory::Motion, motion), SensorError::None);
    ASSERT_EQ(motion.size(), 2u);
    EXPECT_EQ(motion[0].id, "iio:device2/accel");
    EXPECT_EQ(motion[0].kind, SensorKind::Accelerometer2D);
    EXPECT_EQ(motion[0].name, "lis2dw12");
    EXPECT_EQ(motion[1].id, "iio:device10/accel");
    EXPECT_EQ(motion[1].kind, SensorKind::Accelerometer3D);

    std::vector<SensorInfo> environmental;
    ASSERT_EQ(service.sensors(SensorCategory::Environmental, environmental), SensorError::None);
    ASSERT_EQ(environmental.size(), 1u);
    EXPECT_EQ(environmental[0].id, "iio:device10/temp");
}

TEST(LinuxSensorService, RawTimesScaleInMetresPerSecondSquaredBecomesG)
{
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> attributes;
        double x, y, z;
    } cases[] = {
        {"shared scale",
         {{"in_accel_x_raw", "0"}, {"in_accel_y_raw", "-512"}, {"in_accel_z_raw", "1024"}, {"in_accel_scale", "0.009576"}},
         0.0, -512 * 0.009576 / kG, 1024 * 0.009576 / kG},
        {"per-axis scale and offset",
         {{"in_accel_x_raw", "100"}, {"in_accel_x_offset", "-100"}, {"in_accel_x_scale", "1"},
          {"in_accel_y_raw", "10"}, {"in_accel_y_scale", "0.980665"},
          {"in_accel_z_raw", "-3"}, {"in_accel_offset", "1"}, {"in_accel_scale", "9.80665"}},
         0.0, 1.1, -2.0}, // the shared offset applies to every axis without its own
        {"no scale: already m/s2", {{"in_accel_x_raw", "9.80665"}, {"in_accel_y_raw", "0"}, {"in_accel_z_raw", "-19.6133"}},
         1.0, 0.0, -2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        device(root, "iio:device0", c.attributes);
        LinuxSensorService service(root.path());
        SensorReport r;
        ASSERT_EQ(service.read("iio:device0/accel", r), SensorError::None);
        EXPECT_NEAR(field(r, SensorField::AccelerationX), c.x, 1e-9);
        EXPECT_NEAR(field(r, SensorField::AccelerationY), c.y, 1e-9);
        EXPECT_NEAR(field(r, SensorField::AccelerationZ), c.z, 1e-9);
    }
}

TEST(LinuxSensorService, TwoDimensionalReportsHaveNoZ)
{
    TempDir root;
    device(root, "iio:device0", {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "2"}});
    SensorReport r;
    ASSERT_EQ(LinuxSensorService(root.path()).read("iio:device0/accel", r), SensorError::None);
    EXPECT_EQ(r.values.size(), 2u);
    EXPECT_FALSE(has(r, SensorField::AccelerationZ));
}

TEST(LinuxSensorService, TemperatureInMilliDegrees)
{
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> attributes;
        double celsius;
    } cases[] = {
        {"processed", {{"in_temp_input", "41500"}}, 41.5},
        {"raw, offset, scale", {{"in_temp_raw", "300"}, {"in_temp_offset", "100"}, {"in_temp_scale", "62.5"}}, 25.0},
        {"negative", {{"in_temp_input", "-7250"}}, -7.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        device(root, "iio:device0", c.attributes);
        SensorReport r;
        ASSERT_EQ(LinuxSensorService(root.path()).read("iio:device0/temp", r), SensorError::None);
        EXPECT_NEAR(field(r, SensorField::TemperatureCelsius), c.celsius, 1e-9);
    }
}

TEST(LinuxSensorService, MissingOrBrokenDevicesAreErrorsNotCrashes)
{
    TempDir root;
    device(root, "iio:device0", {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_z_raw", "1"}});
    LinuxSensorService service(root.path());
    SensorState state{};
    SensorReport r;

    {
        SCOPED_TRACE("no IIO at all");
        std::vector<SensorInfo> none;
        EXPECT_EQ(LinuxSensorService(root.file("absent")).sensors(SensorCategory::Motion, none), SensorError::None);
        EXPECT_TRUE(none.empty());
    }
    {
        SCOPED_TRACE("a value that is not a number");
        writeFile(root.file("iio:device0/in_accel_scale"), "fast\n");
        EXPECT_EQ(service.read("iio:device0/accel", r), SensorError::ReadFailed);
        EXPECT_TRUE(r.values.empty());
        std::filesystem::remove(root.file("iio:device0/in_accel_scale"));
    }
    {
        SCOPED_TRACE("an attribute that cannot be read");
        std::filesystem::remove(root.file("iio:device0/in_accel_z_raw"));
        std::filesystem::create_directory(root.file("iio:device0/in_accel_z_raw")); // read() gives EISDIR
        EXPECT_EQ(service.read("iio:device0/accel", r), SensorError::ReadFailed);
        std::filesystem::remove(root.file("iio:device0/in_accel_z_raw"));
        writeFile(root.file("iio:device0/in_accel_z_raw"), "1\n");
    }
    {
        SCOPED_TRACE("the device disappears");
        ASSERT_EQ(service.state("iio:device0/accel", state), SensorError::None);
        EXPECT_EQ(state, SensorState::Ready);
        std::filesystem::remove_all(root.file("iio:device0"));
        EXPECT_EQ(service.state("iio:device0/accel", state), SensorError::Gone);
        EXPECT_EQ(service.read("iio:device0/accel", r), SensorError::Gone);
        EXPECT_EQ(service.requestPermission("iio:device0/accel", true), SensorError::Gone);
        EXPECT_EQ(service.setReportInterval("iio:device0/accel", 100).call, SensorError::Gone);
    }
    {
        SCOPED_TRACE("ids that name no IIO sensor");
        for (const char* id : {"", "iio:device0", "iio:device0/gyro", "../etc/accel", "iio:device0/../x/accel"})
            EXPECT_NE(service.state(id, state), SensorError::None) << id;
    }
}

// Root reads every file, so under root the checks run in a child that has become nobody.
TEST(LinuxSensorService, UnreadableSensorIsAccessDenied)
{
    TempDir root;
    device(root, "iio:device0", {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_z_raw", "1"}});
    namespace fs = std::filesystem;
    const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                      fs::perms::others_exec;
    fs::permissions(root.path(), open);
    fs::permissions(root.file("iio:device0"), open);
    fs::permissions(root.file("iio:device0/in_accel_x_raw"), fs::perms::none);

    auto check = [&]() -> int {
        LinuxSensorService service(root.path());
        SensorState state{};
        SensorReport r;
        if (service.state("iio:device0/accel", state) != SensorError::None || state != SensorState::AccessDenied)
            return 1;
        if (service.requestPermission("iio:device0/accel", false) != SensorError::None)
            return 2;
        if (service.requestPermission("iio:device0/accel", true) != SensorError::AccessDenied)
            return 3;
        if (service.read("iio:device0/accel", r) != SensorError::AccessDenied)
            return 4;
        return 0;
    };
    if (geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    constexpr uid_t kNobody = 65534;
    const pid_t pid = fork();
    if (pid == 0)
        _exit(setgid(kNobody) == 0 && setuid(kNobody) == 0 ? check() : 99);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1 state, 2 request, 3 modal request, 4 read, 99 no nobody";
}

TEST(LinuxSensorService, ReportIntervalIsWrittenAsAFrequency)
{
    TempDir root;
    device(root, "iio:device0", {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}, {"in_accel_sampling_frequency", "100"}});
    device(root, "iio:device1", {{"in_accel_x_raw", "1"}, {"in_accel_y_raw", "1"}});
    LinuxSensorService service(root.path());

    const SensorPropertyResult taken = service.setReportInterval("iio:device0/accel", 80);
    EXPECT_EQ(taken.call, SensorError::None);
    EXPECT_EQ(taken.property, SensorError::None);
    EXPECT_EQ(readFile(root.file("iio:device0/in_accel_sampling_frequency")), "12.500");

    EXPECT_EQ(service.setReportInterval("iio:device0/accel", 0).property, SensorError::NotSupported);
    EXPECT_EQ(service.setReportInterval("iio:device1/accel", 80).property, SensorError::NotSupported)
        << "a device with one rate";
}

} // namespace
