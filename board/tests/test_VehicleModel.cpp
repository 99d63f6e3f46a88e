// The simulated vehicle: its physics, and the shared model the interpreter, `show` and the power
// library's stand-in read.
#include "Board.h"
#include "PowerBoard.h"
#include "TestSupport.h"
#include "VehicleDynamics.h"
#include "VehicleModel.h"
#include "VehicleSettings.h"

#include <gtest/gtest.h>

using namespace tarvik::board;
using namespace tarvik::board::j1939;
using tarvik::test::TempDir;

namespace {

constexpr std::int64_t kSecondNs = 1000000000LL;
constexpr double kHour = 3600;

TEST(VehicleDynamics, SteadyDrivingGrowsDistanceFuelAndNotIdleTime)
{
    VehicleSettings s;
    s.engineSpeedRpm = 1500;
    s.vehicleSpeedKmh = 80;
    Counters c{1000, 10, 500, 2};
    VehicleDynamics::advance(c, s, 100, 100 + kHour);
    EXPECT_DOUBLE_EQ(c.odometerKm, 1080);
    EXPECT_DOUBLE_EQ(c.tripDistanceKm, 90);
    EXPECT_DOUBLE_EQ(c.fuelUsedLitres, 526); // 6 l/h for the engine, 20 for the road
    EXPECT_DOUBLE_EQ(c.tripIdleHours, 2);
}

TEST(VehicleDynamics, IdlingGrowsIdleTimeAndAStoppedEngineNothing)
{
    VehicleSettings s;
    s.engineSpeedRpm = 650;
    s.vehicleSpeedKmh = 0;
    Counters c{1000, 10, 500, 2};
    VehicleDynamics::advance(c, s, 0, kHour / 2);
    EXPECT_DOUBLE_EQ(c.odometerKm, 1000);
    EXPECT_DOUBLE_EQ(c.fuelUsedLitres, 501.3);
    EXPECT_DOUBLE_EQ(c.tripIdleHours, 2.5);

    s.engineSpeedRpm = 0;
    const Counters before = c;
    VehicleDynamics::advance(c, s, 0, kHour);
    EXPECT_EQ(c.fuelUsedLitres, before.fuelUsedLitres);
    EXPECT_EQ(c.tripIdleHours, before.tripIdleHours);
    // Time running backwards moves nothing.
    s.engineSpeedRpm = 1500;
    VehicleDynamics::advance(c, s, 50, 10);
    EXPECT_EQ(c.fuelUsedLitres, before.fuelUsedLitres);
}

TEST(VehicleDynamics, DriveCycleRepeatsAndIsIntegratedOverTime)
{
    EXPECT_DOUBLE_EQ(VehicleDynamics::driveCycle(0).roadSpeedKmh, 0);
    EXPECT_DOUBLE_EQ(VehicleDynamics::driveCycle(80).roadSpeedKmh, 80);
    EXPECT_DOUBLE_EQ(VehicleDynamics::driveCycle(45).roadSpeedKmh, 50);
    EXPECT_DOUBLE_EQ(VehicleDynamics::driveCycle(22.5).roadSpeedKmh, 25);
    EXPECT_DOUBLE_EQ(VehicleDynamics::driveCycle(80 + 3 * VehicleDynamics::kCycleSeconds).roadSpeedKmh, 80);

    // One cycle, as trapezoids of the speed table: 1.64 km.
    VehicleSettings s;
    s.driveCycle = true;
    Counters one{0, 0, 0, 0};
    VehicleDynamics::advance(one, s, 0, VehicleDynamics::kCycleSeconds);
    const double km = (15 * 0 + 15 * 25 + 30 * 50 + 15 * 65 + 25 * 80 + 15 * 40 + 5 * 0) / kHour;
    EXPECT_NEAR(one.odometerKm, km, 1e-9);
    EXPECT_GT(one.tripIdleHours, 15 / kHour);

    // A board left alone for a month catches up with whole cycles at once, to the same result.
    Counters month{0, 0, 0, 0};
    const double cycles = 30 * 24 * kHour / VehicleDynamics::kCycleSeconds;
    VehicleDynamics::advance(month, s, 0, cycles * VehicleDynamics::kCycleSeconds);
    EXPECT_NEAR(month.odometerKm, cycles * one.odometerKm, 1e-6 * month.odometerKm);
    EXPECT_NEAR(month.fuelUsedLitres, cycles * one.fuelUsedLitres, 1e-6 * month.fuelUsedLitres);
}

class Vehicle : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(dir.path(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        auto opened = VehicleModel::open(dir.path());
        ASSERT_TRUE(opened) << opened.error();
        model = std::move(*opened);
    }
    VehicleValues at(double seconds)
    {
        auto v = model->at(static_cast<std::int64_t>(seconds * kSecondNs));
        EXPECT_TRUE(v) << v.error();
        return v ? *v : VehicleValues{};
    }

    TempDir dir;
    std::unique_ptr<Board> board;
    std::unique_ptr<VehicleModel> model;
};

TEST_F(Vehicle, StartsFromTheProfileAndGrowsWithTime)
{
    const VehicleValues start = at(1000);
    EXPECT_DOUBLE_EQ(start.engineSpeedRpm, 1500);
    EXPECT_DOUBLE_EQ(start.roadSpeedKmh, 80);
    EXPECT_DOUBLE_EQ(start.tachographSpeedKmh, 80);
    EXPECT_DOUBLE_EQ(start.odometerKm, 123456.5);
    EXPECT_DOUBLE_EQ(start.batteryVolts, 27.6);
    EXPECT_EQ(start.coolantCelsius, 85);
    const VehicleValues later = at(1000 + kHour);
    EXPECT_DOUBLE_EQ(later.odometerKm, 123536.5);
    EXPECT_DOUBLE_EQ(later.tripDistanceKm, 401.25);
    EXPECT_DOUBLE_EQ(later.fuelUsedLitres, 45704.5);
    EXPECT_DOUBLE_EQ(later.tripIdleHours, 512.35);
}

TEST_F(Vehicle, SetValuesTakeEffectAndRestartTheirCounter)
{
    at(1000);
    at(1000 + kHour);
    ASSERT_TRUE(board->setValue("Odometer", "2000"));
    ASSERT_TRUE(board->setValue("VehicleSpeed", "0"));
    ASSERT_TRUE(board->setValue("TachographSpeed", "12.5"));
    ASSERT_TRUE(board->setValue("CoolantTemperature", "-5"));
    const VehicleValues v = at(1000 + 2 * kHour);
    EXPECT_DOUBLE_EQ(v.odometerKm, 2000);
    // The trip counter kept its start (its profile value did not change); the time since the last
    // look ran at the new speed.
    EXPECT_DOUBLE_EQ(v.tripDistanceKm, 401.25);
    EXPECT_DOUBLE_EQ(v.roadSpeedKmh, 0);
    EXPECT_DOUBLE_EQ(v.tachographSpeedKmh, 12.5);
    EXPECT_EQ(v.coolantCelsius, -5);
    EXPECT_DOUBLE_EQ(at(1000 + 3 * kHour).odometerKm, 2000);
    ASSERT_TRUE(board->setValue("FuelTemperature", "none"));
    EXPECT_FALSE(at(1000 + 4 * kHour).fuelCelsius.has_value());
}

TEST_F(Vehicle, EveryProcessSeesOneVehicle)
{
    at(1000);
    auto other = VehicleModel::open(dir.path());
    ASSERT_TRUE(other);
    auto v = (*other)->at(static_cast<std::int64_t>((1000 + kHour / 2) * kSecondNs));
    ASSERT_TRUE(v);
    EXPECT_DOUBLE_EQ(v->odometerKm, 123496.5);
    // A look a little earlier than the last one (another process in between) moves nothing back.
    EXPECT_DOUBLE_EQ(at(1000 + kHour / 2 - 0.5).odometerKm, 123496.5);
    EXPECT_DOUBLE_EQ(at(1000 + kHour).odometerKm, 123536.5);
}

TEST_F(Vehicle, ANewBootGoesOnFromTheCountersKept)
{
    at(50000);
    at(50000 + kHour);
    // The monotonic clock starts again near zero.
    EXPECT_DOUBLE_EQ(at(10).odometerKm, 123536.5);
    EXPECT_DOUBLE_EQ(at(10 + kHour).odometerKm, 123616.5);
}

TEST_F(Vehicle, BatteryMillivoltsForOtherBoardCode)
{
    auto mv = vehicleBatteryMillivolts(dir.path());
    ASSERT_TRUE(mv) << mv.error();
    EXPECT_EQ(*mv, 27600);
    ASSERT_TRUE(board->setValue("BatteryVoltage", "13.85"));
    EXPECT_EQ(*vehicleBatteryMillivolts(dir.path()), 13850);
    EXPECT_FALSE(vehicleBatteryMillivolts(dir.file("nothing")));
}

TEST_F(Vehicle, ProfileValuesAreChecked)
{
    const struct {
        const char* name;
        const char* value;
        bool accepted;
    } rows[] = {
        {"EngineSpeed", "8031.875", true},    {"EngineSpeed", "8032", false},   {"EngineSpeed", "fast", false},
        {"VehicleSpeed", "-1", false},        {"TachographSpeed", "road", true}, {"TachographSpeed", "x", false},
        {"BatteryVoltage", "13.8", true},     {"BatteryVoltage", "101", false}, {"CoolantTemperature", "210", true},
        {"CoolantTemperature", "85.5", false}, {"FuelTemperature", "-41", false}, {"DriveCycle", "1", true},
        {"DriveCycle", "2", false},           {"J1939BroadcastDivisor", "20", true}, {"J1939BroadcastDivisor", "0", false},
        {"Odometer", "nan", false},           {"FuelUsed", "1e3", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " " + r.value);
        EXPECT_EQ(static_cast<bool>(board->setValue(r.name, r.value)), r.accepted);
    }
    EXPECT_TRUE(board->setFault("j1939-status", "NO DATA"));
    EXPECT_FALSE(board->setFault("j1939-status", "HELLO"));
}

TEST_F(Vehicle, DriveCycleMovesTheSpeeds)
{
    ASSERT_TRUE(board->setValue("DriveCycle", "1"));
    const double cycleStart = 100 * VehicleDynamics::kCycleSeconds;
    EXPECT_DOUBLE_EQ(at(cycleStart + 5).roadSpeedKmh, 0);
    const VehicleValues cruising = at(cycleStart + 90);
    EXPECT_DOUBLE_EQ(cruising.roadSpeedKmh, 80);
    EXPECT_DOUBLE_EQ(cruising.tachographSpeedKmh, 80);
    EXPECT_DOUBLE_EQ(cruising.engineSpeedRpm, 1540);
}

} // namespace

namespace {

TEST_F(Vehicle, CreateStartsTheCountersAgainAndThePowerInputSeesTheSameBattery)
{
    at(1000);
    EXPECT_DOUBLE_EQ(at(1000 + kHour).odometerKm, 123536.5);
    ASSERT_TRUE(Board::create(dir.path(), "KTA"));
    EXPECT_DOUBLE_EQ(at(1000 + 2 * kHour).odometerKm, 123456.5);

    auto power = PowerBoard::open(dir.path());
    ASSERT_TRUE(power) << power.error();
    EXPECT_EQ((*power)->vehicleBatteryMillivolts(), 27600);
    ASSERT_TRUE(board->setValue("BatteryVoltage", "12.6"));
    EXPECT_EQ((*power)->vehicleBatteryMillivolts(), 12600);
}

} // namespace
