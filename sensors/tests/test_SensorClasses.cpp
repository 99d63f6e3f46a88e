// GSensor and CTSensor against a sensor service in memory.
#include "FakeSensorService.h"
#include "Miravel.h"

#include <atomic>
#include <functional>
#include <thread>
#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::SensorError;

namespace {

constexpr HRESULT kDeviceGone = static_cast<HRESULT>(0x8007048F);

// A caller's event sink that counts its references.
class CountingSink final : public ISensorEvents {
public:
    std::atomic<ULONG> references{1};
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT OnStateChanged(ISensor*, SensorState) override { return S_OK; }
    HRESULT OnDataUpdated(ISensor*, ISensorDataReport*) override { return S_OK; }
    HRESULT OnEvent(ISensor*, REFGUID, IPortableDeviceValues*) override { return S_OK; }
    HRESULT OnLeave(REFGUID) override { return S_OK; }
};

class SensorClasses : public testing::Test {
protected:
    FakeSensorService sensors;
    SensorServiceOverride guard{sensors};
};

TEST_F(SensorClasses, GSensorReadsTheReportItTookAndFailsOnceTheSensorIsGone)
{
    sensors.addAccelerometer("fake/accel", 0.5, 0.25, -1.0);
    GSensor g;
    GSensor::GSENSOR_DATA_TYPE data{};
    ASSERT_EQ(g.getSensorData(&data), S_OK);
    EXPECT_DOUBLE_EQ(data.x, 0.5);
    EXPECT_DOUBLE_EQ(data.z, -1.0);

    sensors.remove("fake/accel");
    data = {7, 7, 7};
    EXPECT_EQ(g.getSensorData(&data), kDeviceGone) << "the id check notices";
    EXPECT_DOUBLE_EQ(data.x, 0.0);
    EXPECT_DOUBLE_EQ(data.z, 0.0);
    EXPECT_EQ(g.initSensor(), E_UNEXPECTED);
    EXPECT_EQ(g.getSensorData(&data), E_INVALIDARG) << "no sensor, no report";
}

TEST_F(SensorClasses, GSensorUninitLetsGoOnceThenSaysThereIsNone)
{
    sensors.addAccelerometer("fake/accel", 0, 0, -1);
    GSensor g;
    EXPECT_EQ(g.uninitSensor(), S_OK);
    EXPECT_EQ(g.uninitSensor(), E_POINTER);
}

// Both classes set the interval the same way; each on its own sensor.
TEST_F(SensorClasses, ReportIntervalTakenOrRefusedWithThePropertysError)
{
    const struct {
        const char* name;
        tarvik::SensorPropertyResult service;
        HRESULT expected;
        std::uint32_t storedMs;
        const char* line;
    } cases[] = {
        {"taken", {}, S_OK, 50, ""},
        {"refused", {SensorError::None, SensorError::InvalidValue}, E_INVALIDARG, 0,
         "\nSetting current report interval failed with error 0x80070057\n"},
        {"unsupported", {SensorError::None, SensorError::NotSupported}, static_cast<HRESULT>(0x80070032), 0,
         "\nSetting current report interval failed with error 0x80070032\n"},
        {"gone", {SensorError::Gone, SensorError::None}, kDeviceGone, 0, ""},
    };
    for (const auto& c : cases) {
        sensors.present.clear();
        sensors.addAccelerometer("fake/accel", 0, 0, -1).intervalResult = c.service;
        sensors.addThermometer("fake/temp", 20).intervalResult = c.service;
        GSensor g;
        CTSensor t;
        const std::pair<const char*, std::function<HRESULT(ULONG)>> setters[] = {
            {"fake/accel", [&](ULONG ms) { return g.setReportInterval(ms); }},
            {"fake/temp", [&](ULONG ms) { return t.setReportInterval(ms); }},
        };
        for (const auto& [id, set] : setters) {
            SCOPED_TRACE(std::string(c.name) + " " + id);
            testing::internal::CaptureStdout();
            EXPECT_EQ(set(50), c.expected);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
            EXPECT_EQ(sensors.find(id)->intervalMs, c.storedMs);
        }
    }
}

TEST_F(SensorClasses, EventSinkIsHeldUntilClearedOrTheSensorGoes)
{
    sensors.addAccelerometer("fake/accel", 0, 0, -1);
    CountingSink sink;
    {
        GSensor g;
        EXPECT_EQ(g.setEventSink(nullptr), S_OK);
        EXPECT_EQ(g.setEventSink(&sink), S_OK);
        EXPECT_EQ(sink.references, 2u);
    }
    EXPECT_EQ(sink.references, 1u) << "the destructor clears the sink";
}

TEST_F(SensorClasses, CTSensorReadsTheFirstEnvironmentalSensorAndFailsOnceItIsGone)
{
    sensors.addThermometer("fake/temp", 21.5);
    CTSensor t;
    float celsius = 0;
    EXPECT_EQ(t.getSensorData(&celsius), S_OK);
    EXPECT_FLOAT_EQ(celsius, 21.5f);

    sensors.remove("fake/temp");
    celsius = 7;
    EXPECT_EQ(t.getSensorData(&celsius), kDeviceGone) << "the id check notices";
    EXPECT_EQ(celsius, 0.0f);
}

// GSensor enters the multithreaded apartment, CTSensor the single-threaded one: on one thread the
// second is refused its entry, works all the same and gives back nothing it did not take. (On a
// thread of its own: the other tests leave this one's entries of their initSensor calls.)
TEST_F(SensorClasses, BothClassesOnOneThreadShareItsApartment)
{
    sensors.addAccelerometer("fake/accel", 0, 0, -1);
    sensors.addThermometer("fake/temp", 21.5);
    std::thread([] {
        {
            GSensor g;
            EXPECT_EQ(tarvik::comApartmentDepth(), 1);
            {
                CTSensor t;
                EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "the thread stays in the multithreaded apartment";
                float celsius = 0;
                EXPECT_EQ(t.getSensorData(&celsius), S_OK);
                EXPECT_EQ(t.setReportInterval(50), S_OK);
                EXPECT_EQ(t.initSensor(), S_OK);
                EXPECT_EQ(t.uninitSensor(), S_OK);
            }
            EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "the G-sensor's entry is still there";
            GSensor::GSENSOR_DATA_TYPE data{};
            EXPECT_EQ(g.getSensorData(&data), S_OK);
            EXPECT_EQ(g.setReportInterval(50), S_OK);
        }
        EXPECT_EQ(tarvik::comApartmentDepth(), 0);

        {
            CTSensor t;
            EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE) << "a single-threaded one";
            GSensor g;
            GSensor::GSENSOR_DATA_TYPE data{};
            EXPECT_EQ(g.getSensorData(&data), S_OK);
        }
        EXPECT_EQ(tarvik::comApartmentDepth(), 0);
    }).join();
}

// CTSensor tells a person what to do about the failures they can mend.
TEST_F(SensorClasses, CTSensorExplainsWhyItCannotOpen)
{
    const struct {
        const char* name;
        void (*arrange)(FakeSensorService&);
        HRESULT expected;
        const char* output;
    } cases[] = {
        {"no sensors", [](FakeSensorService&) {}, E_UNEXPECTED, "\nNo sensors of the requested category.\n"},
        {"access denied", [](FakeSensorService& s) { s.addThermometer("fake/temp", 20).state = tarvik::SensorState::AccessDenied; },
         E_ACCESSDENIED,
         "\nSensor not enabled, requesting permissions...\n"
         "\nYou have previously denied access to this sensor.\n"
         "Please use the Location and Other Sensors control panel\n"
         "to enable the WDK Time Sensor and run this program again.\n"},
        {"access granted on request",
         [](FakeSensorService& s) {
             auto& t = s.addThermometer("fake/temp", 20);
             t.state = tarvik::SensorState::AccessDenied;
             t.grantOnModalRequest = true;
         },
         S_OK, "\nSensor not enabled, requesting permissions...\n"},
        {"policy",
         [](FakeSensorService& s) {
             s.addThermometer("fake/temp", 20);
             s.connectResult = SensorError::DisabledByPolicy;
         },
         static_cast<HRESULT>(0x800704EC), "Unable to retrieve sensor manager due to group policy settings."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sensors = FakeSensorService();
        c.arrange(sensors);
        testing::internal::CaptureStdout();
        CTSensor t; // runs initSensor
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
        testing::internal::CaptureStdout();
        EXPECT_EQ(t.initSensor(), c.expected);
        testing::internal::GetCapturedStdout();
        float celsius = 5;
        if (FAILED(c.expected)) {
            EXPECT_EQ(t.getSensorData(&celsius), E_INVALIDARG);
            EXPECT_EQ(celsius, 0.0f);
        }
    }
}

} // namespace
