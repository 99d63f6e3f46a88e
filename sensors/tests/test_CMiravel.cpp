// CMiravel against fakes: the access layer's ports on an in-memory EC, the firmware's BIOS string
// for the model, a sensor service in memory, waits recorded.
#include "FakeSensorService.h"
#include "Miravel.h"
#include "SimulatedEcPorts.h"
#include "TestSupport.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::SensorError;
using tarvik::SensorField;

namespace {

constexpr std::int32_t kNotInitialised = static_cast<std::int32_t>(0x80000002);
constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80000003);
constexpr std::int32_t kOpenFailed = static_cast<std::int32_t>(0x80030002);
constexpr std::int32_t kReadFailed = static_cast<std::int32_t>(0x80030003);

class MiravelTest : public testing::Test {
protected:
    void SetUp() override
    {
        firmware.strings["BIOSVersion"] = L"KTA1.06";
        sensors.addAccelerometer("fake/accel", 0.25, -0.5, -0.98);
    }

    SimulatedEcPorts ports;
    RecordingSleeper sleeper;
    FakeFirmwareInfo firmware;
    FakeSensorService sensors;
    PortIoOverride portGuard{ports};
    SleeperOverride sleepGuard{sleeper};
    FirmwareOverride firmwareGuard{firmware};
    SensorServiceOverride sensorGuard{sensors};
};

TEST_F(MiravelTest, BoardTemperatureIsTheEcByteMinusForty)
{
    const struct {
        std::uint8_t ecByte;
        float celsius;
    } cases[] = {{0x28, 0.0f}, {0x00, -40.0f}, {0x64, 60.0f}, {0xFF, 215.0f}};
    CMiravel miravel;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "EC 0x70 = " << int(c.ecByte));
        ports.state.ec[0x70] = c.ecByte;
        float celsius = 1234.0f;
        EXPECT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 1);
        EXPECT_EQ(celsius, c.celsius);
    }
}

// GPS power per model: KQS through bit 0 of EC RAM 0xBF (read-modify-write, other bits kept),
// the other models through EC commands 0x1D/0x1E and bit 7 of CMOS 0x63.
struct GpsCase {
    const char* name;
    const wchar_t* bios;
    std::uint8_t ec0xBF;
    std::uint8_t cmos0x63;
    int switchTo; // -1: status only
    std::uint8_t expectEc0xBF;
    int expectCommand; // EC command code sent, -1 none
    int expectStatus;
    const char* expectOutput;
};

class MiravelGps : public MiravelTest, public testing::WithParamInterface<GpsCase> {};

TEST_P(MiravelGps, SwitchesAndReadsThroughTheModelsPath)
{
    const GpsCase& c = GetParam();
    firmware.strings["BIOSVersion"] = c.bios;
    ports.state.ec[0xBF] = c.ec0xBF;
    ports.state.cmos[0x63] = c.cmos0x63;
    CMiravel miravel;
    ports.log.clear();

    testing::internal::CaptureStdout();
    if (c.switchTo >= 0) {
        EXPECT_EQ(miravel.vSR_GPSModuleSwitch(c.switchTo), 1);
    }
    int status = -1;
    EXPECT_EQ(miravel.vSR_GPSModuleStatus(&status), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.expectOutput);

    EXPECT_EQ(status, c.expectStatus);
    EXPECT_EQ(ports.state.ec[0xBF], c.expectEc0xBF);
    int sent = -1;
    for (std::size_t i = 0; i + 2 < ports.log.size(); ++i) {
        if (ports.log[i] == SimulatedEcPorts::Access{'W', 0x6C, 0x03})
            sent = static_cast<int>(ports.log[i + 2].value); // after the 0x08 status read
    }
    EXPECT_EQ(sent, c.expectCommand);
    EXPECT_EQ(miravel.getLastErrorNumber(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Models, MiravelGps,
    testing::Values(
        GpsCase{"KqsOnKeepsOtherBits", L"KQS1.05", 0x02, 0x00, 1, 0x03, -1, 1,
                "vSR_GPSModuleSwitch: read value 0x2, from 0xbf\n"
                "vSR_GPSModuleSwitch: I'm going to set 0x3, to EC ADDR 0xbf\n"
                "vSR_GPSModuleStatus: get value:0x3 from 0xbf\n"},
        GpsCase{"KqsOff", L"KQS1.05", 0x03, 0x80, 0, 0x02, -1, 0,
                "vSR_GPSModuleSwitch: read value 0x3, from 0xbf\n"
                "vSR_GPSModuleSwitch: I'm going to set 0x2, to EC ADDR 0xbf\n"
                "vSR_GPSModuleStatus: get value:0x2 from 0xbf\n"},
        GpsCase{"KqsIgnoresCmos", L"KQS1.05", 0x00, 0x80, -1, 0x00, -1, 0, "vSR_GPSModuleStatus: get value:0x0 from 0xbf\n"},
        GpsCase{"OrdinaryOffSendsCommand1E", L"KTA1.06", 0x00, 0x80, 0, 0x00, 0x1E, 0, "CWinIOUtility::SendECCommand:0x1e\n"},
        GpsCase{"OrdinaryOnSendsCommand1D", L"KTR1.04", 0x00, 0x00, 1, 0x00, 0x1D, 1, "CWinIOUtility::SendECCommand:0x1d\n"},
        GpsCase{"OrdinaryCmosBit7Set", L"KZS1.01", 0x01, 0x80, -1, 0x01, -1, 1, ""},
        GpsCase{"OrdinaryCmos7FIsOff", L"GEN2.17", 0x01, 0x7F, -1, 0x01, -1, 0, ""}),
    [](const testing::TestParamInfo<GpsCase>& info) { return std::string(info.param.name); });

TEST_F(MiravelTest, WithoutPortAccessTemperatureAndGpsFailButTheGSensorStillReads)
{
    ports.refuseStarts = -1;
    CMiravel miravel;
    float celsius = 0;
    int status = 0;
    EXPECT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kNotInitialised);
    EXPECT_EQ(miravel.vSR_GPSModuleSwitch(1), 0);
    EXPECT_EQ(miravel.vSR_GPSModuleStatus(&status), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kNotInitialised);
    EXPECT_TRUE(ports.log.empty()) << "no port access without the driver";

    CMiravel::GSensorData g{};
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_DOUBLE_EQ(g.z, -0.98);
}

TEST_F(MiravelTest, KeepsItsOwnUseCountBesideItsCIdovans)
{
    {
        CMiravel first;
        EXPECT_EQ(ports.initializeCalls, 2) << "Miravel's own copy of the access layer, then Idovan's";
        CMiravel second;
        EXPECT_EQ(ports.initializeCalls, 2) << "both copies already hold a unit";
    }
    CMiravel again;
    EXPECT_EQ(ports.initializeCalls, 4) << "both counts fell to 0: the driver is started anew";
}

TEST_F(MiravelTest, EveryReadingRenewsTheSensorAndSeesNewValues)
{
    CMiravel miravel;
    const int readsAtStart = sensors.reads;
    CMiravel::GSensorData g{};
    ASSERT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_DOUBLE_EQ(g.x, 0.25);
    EXPECT_DOUBLE_EQ(g.y, -0.5);
    EXPECT_DOUBLE_EQ(g.z, -0.98);

    sensors.find("fake/accel")->report.values[0].second = 0.75;
    ASSERT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_DOUBLE_EQ(g.x, 0.75);
    EXPECT_EQ(sensors.reads - readsAtStart, 2) << "one fresh report per call";
}

// What makes a G-sensor reading fail, and the code and the one line it gives.
struct GSensorFailure {
    const char* name;
    std::function<void(FakeSensorService&)> arrange;
    std::int32_t error;
    const char* line;
};

class MiravelGSensorFailure : public MiravelTest, public testing::WithParamInterface<GSensorFailure> {};

TEST_P(MiravelGSensorFailure, GivesItsCodeAndOneLine)
{
    const GSensorFailure& c = GetParam();
    sensors.present.clear();
    c.arrange(sensors);
    {
        CMiravel miravel;
        EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "the G-sensor's entry";
        CMiravel::GSensorData g{};
        for (int reading = 0; reading < 2; ++reading) {
            testing::internal::CaptureStdout();
            EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 0);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
            EXPECT_EQ(miravel.getLastErrorNumber(), c.error);
            EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "a failed reading gives back the entry it took";
        }
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 0) << "nothing is left once the object is gone";
}

INSTANTIATE_TEST_SUITE_P(
    Causes, MiravelGSensorFailure,
    testing::Values(
        GSensorFailure{"NoAccelerometer", [](FakeSensorService&) {}, kOpenFailed,
                       "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
        GSensorFailure{"Only2dAccelerometer", [](FakeSensorService& s) { s.addAccelerometer2d("fake/2d", 0.1, 0.2); },
                       kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
        GSensorFailure{"AccessDeniedAndRefused",
                       [](FakeSensorService& s) { s.addAccelerometer("fake/accel", 0, 0, 1).state = tarvik::SensorState::AccessDenied; },
                       kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x80070005\n"},
        GSensorFailure{"DisabledByPolicy",
                       [](FakeSensorService& s) {
                           s.addAccelerometer("fake/accel", 0, 0, 1);
                           s.connectResult = SensorError::DisabledByPolicy;
                       },
                       kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x800704EC\n"},
        GSensorFailure{"ListUnreadable",
                       [](FakeSensorService& s) {
                           s.addAccelerometer("fake/accel", 0, 0, 1);
                           s.listResult = SensorError::ReadFailed;
                       },
                       kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x8007001E\n"},
        GSensorFailure{"ReportWithoutZ",
                       [](FakeSensorService& s) { s.addAccelerometer("fake/accel", 0.1, 0.2, 0).report.values.pop_back(); },
                       kReadFailed, "vSR_GSensorValueGet: getSensorData failed, hr = 0x80070490\n"}),
    [](const testing::TestParamInfo<GSensorFailure>& info) { return std::string(info.param.name); });

// The G-sensor's COM apartment is the thread's one, which every library of the process sees.
TEST_F(MiravelTest, TheGSensorSharesTheThreadsApartmentWithTheOtherLibraries)
{
    CMiravel::GSensorData g{};
    {
        CMiravel miravel;
        EXPECT_EQ(tarvik::comApartmentDepth(), 1);
        EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE) << "the thread is in the multithreaded apartment";
        EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
        EXPECT_EQ(tarvik::comApartmentDepth(), 1);
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 0);

    // A thread another library put into a single-threaded apartment: the G-sensor still reads, and
    // gives back no entry it did not take.
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        CMiravel miravel;
        EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
        EXPECT_DOUBLE_EQ(g.z, -0.98);
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "the other library's entry is still there";
    CoUninitialize();
}

TEST_F(MiravelTest, ReportWithoutZStillDeliversXAndY)
{
    sensors.find("fake/accel")->report.values.pop_back();
    CMiravel miravel;
    CMiravel::GSensorData g{9, 9, 9};
    testing::internal::CaptureStdout();
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_DOUBLE_EQ(g.x, 0.25);
    EXPECT_DOUBLE_EQ(g.y, -0.5);
    EXPECT_DOUBLE_EQ(g.z, 0.0);
}

TEST_F(MiravelTest, TheFirst3dAccelerometerIsTakenAndADeniedOneIsAskedForModally)
{
    sensors.present.clear();
    sensors.addAccelerometer2d("fake/2d", 0.9, 0.9);
    auto& accel = sensors.addAccelerometer("fake/accel", 0.1, 0.2, 0.3);
    accel.state = tarvik::SensorState::AccessDenied;
    accel.grantOnModalRequest = true;
    CMiravel miravel; // its GSensor's first search already asks, and is granted
    EXPECT_EQ(sensors.modalRequests, 1);
    CMiravel::GSensorData g{};
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_DOUBLE_EQ(g.z, 0.3);
}

TEST_F(MiravelTest, ASensorThatDisappearsBetweenCallsFailsToOpenAndComesBack)
{
    CMiravel miravel;
    CMiravel::GSensorData g{};
    ASSERT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    const auto kept = sensors.present;
    sensors.present.clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(miravel.getLastErrorNumber(), kOpenFailed);
    sensors.present = kept;
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_EQ(miravel.getLastErrorNumber(), kOpenFailed) << "success does not clear the last error";
}

TEST_F(MiravelTest, AfterUninitializeNothingReachesTheHardware)
{
    CMiravel miravel;
    EXPECT_TRUE(miravel.Uninitialize());
    CMiravel::GSensorData g{};
    float celsius = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "vSR_GSensorValueGet: no G-sensor (not initialised)\n");
    EXPECT_EQ(miravel.getLastErrorNumber(), kOpenFailed);
    EXPECT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kNotInitialised);

    EXPECT_TRUE(miravel.Initialize());
    EXPECT_EQ(miravel.vSR_GSensorValueGet(&g), 1);
    EXPECT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 1);
}

TEST_F(MiravelTest, InitializeTwiceTakesOneUnit)
{
    {
        CMiravel miravel;
        EXPECT_TRUE(miravel.Initialize());
    }
    // Had the second Initialize taken a second unit, the count would not be back at 0 and no new
    // driver start would happen here.
    const int before = ports.initializeCalls;
    CMiravel again;
    EXPECT_EQ(ports.initializeCalls, before + 2);
}

TEST_F(MiravelTest, NullOutArgumentsAreRefused)
{
    CMiravel miravel;
    EXPECT_EQ(miravel.vSR_GSensorValueGet(nullptr), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kInvalidArgument);
    EXPECT_EQ(miravel.vSR_TempSensorValueGet(nullptr), 0);
    EXPECT_EQ(miravel.vSR_GPSModuleStatus(nullptr), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kInvalidArgument);
}

} // namespace
