// The sensor manager's searches over a sensor service in memory: by category (what GSensor and
// CTSensor use), by type and by id, each across the service's categories.
#include "ComRuntime.h"
#include "FakeSensorService.h"
#include "Sensor.h"
#include "SensorErrors.h"

#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::SensorError;

namespace {

// {11111111-2222-3333-4444-555555555555}: a category and a type no sensor has.
constexpr GUID kNoSuchGuid = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class SensorManagerSearch : public testing::Test {
protected:
    void SetUp() override
    {
        sensors.addAccelerometer2d("fake/2d", 0.1, 0.2);
        sensors.addAccelerometer("fake/accel", 0, 0, -1);
        sensors.addThermometer("fake/temp", 20);
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        ASSERT_EQ(miravel::CoCreateInstance(CLSID_SensorManager, nullptr, miravel::CLSCTX_INPROC_SERVER,
                                            IID_ISensorManager, reinterpret_cast<void**>(&manager)),
                  S_OK);
    }
    void TearDown() override
    {
        if (manager)
            manager->Release();
        CoUninitialize();
    }

    // The service id of a sensor the search gave, found through the sensor's GUID.
    std::string nameOf(ISensor* sensor)
    {
        GUID id{};
        if (FAILED(sensor->GetID(&id)))
            return "(gone)";
        for (const auto& s : sensors.present) {
            if (miravel::Sensor::idToGuid(s.info.id) == id)
                return s.info.id;
        }
        return "(unknown)";
    }
    std::vector<std::string> namesIn(ISensorCollection* found)
    {
        std::vector<std::string> names;
        ULONG count = 0;
        EXPECT_EQ(found->GetCount(&count), S_OK);
        for (ULONG i = 0; i < count; ++i) {
            ISensor* sensor = nullptr;
            EXPECT_EQ(found->GetAt(i, &sensor), S_OK);
            names.push_back(nameOf(sensor));
            sensor->Release();
        }
        return names;
    }

    FakeSensorService sensors;
    SensorServiceOverride guard{sensors};
    ISensorManager* manager = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(SensorManagerSearch, FindsSensorsByCategoryTypeAndId)
{
    using Search = HRESULT (ISensorManager::*)(REFGUID, ISensorCollection**);
    const Search byCategory = &ISensorManager::GetSensorsByCategory;
    const Search byType = &ISensorManager::GetSensorsByType;
    const struct {
        const char* name;
        Search search;
        GUID what;
        Names found;
    } collections[] = {
        {"motion category", byCategory, SENSOR_CATEGORY_MOTION, {"fake/2d", "fake/accel"}},
        {"environmental category", byCategory, SENSOR_CATEGORY_ENVIRONMENTAL, {"fake/temp"}},
        {"category without sensors", byCategory, kNoSuchGuid, {}},
        {"3-D accelerometers", byType, SENSOR_TYPE_ACCELEROMETER_3D, {"fake/accel"}},
        {"2-D accelerometers", byType, SENSOR_TYPE_ACCELEROMETER_2D, {"fake/2d"}},
        {"thermometers", byType, SENSOR_TYPE_ENVIRONMENTAL_TEMPERATURE, {"fake/temp"}},
        {"type without sensors", byType, kNoSuchGuid, {}},
    };
    for (const auto& row : collections) {
        SCOPED_TRACE(row.name);
        ISensorCollection* found = nullptr;
        ASSERT_EQ((manager->*row.search)(row.what, &found), S_OK);
        EXPECT_EQ(namesIn(found), row.found);
        found->Release();
    }

    const struct {
        const char* id;
        HRESULT expected;
        const char* found;
    } byId[] = {
        {"fake/temp", S_OK, "fake/temp"},
        {"fake/accel", S_OK, "fake/accel"},
        {"fake/none", miravel::kHrNotFound, nullptr},
    };
    for (const auto& row : byId) {
        SCOPED_TRACE(row.id);
        ISensor* sensor = reinterpret_cast<ISensor*>(0x1);
        ASSERT_EQ(manager->GetSensorByID(miravel::Sensor::idToGuid(row.id), &sensor), row.expected);
        if (!row.found) {
            EXPECT_EQ(sensor, nullptr);
            continue;
        }
        EXPECT_EQ(nameOf(sensor), row.found);
        sensor->Release();
    }
}

// A service whose list cannot be read fails every search with its error, handing out nothing.
TEST_F(SensorManagerSearch, AnUnreadableListFailsEverySearch)
{
    sensors.listResult = SensorError::ReadFailed;
    ISensorCollection* found = reinterpret_cast<ISensorCollection*>(0x1);
    EXPECT_EQ(manager->GetSensorsByCategory(SENSOR_CATEGORY_MOTION, &found), miravel::kHrReadFault);
    EXPECT_EQ(found, nullptr);
    found = reinterpret_cast<ISensorCollection*>(0x1);
    EXPECT_EQ(manager->GetSensorsByType(SENSOR_TYPE_ACCELEROMETER_3D, &found), miravel::kHrReadFault);
    EXPECT_EQ(found, nullptr);
    ISensor* sensor = reinterpret_cast<ISensor*>(0x1);
    EXPECT_EQ(manager->GetSensorByID(miravel::Sensor::idToGuid("fake/accel"), &sensor), miravel::kHrReadFault);
    EXPECT_EQ(sensor, nullptr);
}

} // namespace
