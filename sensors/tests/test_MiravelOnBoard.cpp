// CMiravel on the virtual board the test process runs on: values and faults set on the board the
// way a technician would, the EC reached through the board's simulated port driver.
#include "Board.h"
#include "Miravel.h"
#include "SensorBoard.h"
#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::board::Board;
using tarvik::board::BoardState;

namespace {

constexpr std::int32_t kOpenFailed = static_cast<std::int32_t>(0x80030002);
constexpr std::int32_t kReadFailed = static_cast<std::int32_t>(0x80030003);

class MiravelOnBoard : public testing::Test {
protected:
    void SetUp() override { makeBoard("KTA"); }
    void makeBoard(const std::string& model)
    {
        auto made = Board::create(testBoardDir(), model);
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        // Exact values unless a test wants the drift.
        ASSERT_TRUE(board->setValue("AccelDrift", "0"));
    }
    int gsensor(CMiravel& miravel, CMiravel::GSensorData& g)
    {
        testing::internal::CaptureStdout();
        const int result = miravel.vSR_GSensorValueGet(&g);
        lastOutput = testing::internal::GetCapturedStdout();
        return result;
    }

    RecordingSleeper sleeper;
    SleeperOverride sleeperGuard{sleeper};
    std::unique_ptr<Board> board;
    std::string lastOutput;
};

TEST_F(MiravelOnBoard, TheAccelerometerReportsWhatTheBoardIsSetTo)
{
    ASSERT_TRUE(board->setValue("AccelX", "0.125"));
    ASSERT_TRUE(board->setValue("AccelY", "-0.5"));
    ASSERT_TRUE(board->setValue("AccelZ", "-0.875"));
    CMiravel miravel;
    CMiravel::GSensorData g{};
    ASSERT_EQ(gsensor(miravel, g), 1) << lastOutput;
    EXPECT_DOUBLE_EQ(g.x, 0.125);
    EXPECT_DOUBLE_EQ(g.y, -0.5);
    EXPECT_DOUBLE_EQ(g.z, -0.875);
}

TEST_F(MiravelOnBoard, TheDriftMovesEveryReadingButStaysWithinItsBound)
{
    ASSERT_TRUE(board->setValue("AccelDrift", "0.05"));
    CMiravel miravel;
    std::vector<double> xs;
    for (int i = 0; i < 6; ++i) {
        CMiravel::GSensorData g{};
        ASSERT_EQ(gsensor(miravel, g), 1);
        EXPECT_LE(std::abs(g.x), 0.05);
        EXPECT_LE(std::abs(g.y), 0.05);
        EXPECT_LE(std::abs(g.z + 1.0), 0.05);
        if (!xs.empty()) {
            EXPECT_NE(g.x, xs.back()) << "a live page must see movement";
        }
        xs.push_back(g.x);
    }
}

// The board's G-sensor faults and what a reading gives under each.
TEST_F(MiravelOnBoard, GSensorFaultsGiveTheirCodes)
{
    const struct {
        const char* fault;
        int result;
        std::int32_t error;
        const char* line;
    } cases[] = {
        {"gsensor-missing", 0, kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
        {"gsensor-2d", 0, kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x8000FFFF\n"},
        {"gsensor-access-denied", 0, kOpenFailed, "vSR_GSensorValueGet: initSensor failed, hr = 0x80070005\n"},
        {"gsensor-no-z", 0, kReadFailed, "vSR_GSensorValueGet: getSensorData failed, hr = 0x80070490\n"},
    };
    ASSERT_TRUE(board->setValue("AccelX", "0.25"));
    ASSERT_TRUE(board->setValue("AccelY", "0.5"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        board->clearAllFaults();
        ASSERT_TRUE(board->setFault(c.fault, ""));
        {
            CMiravel miravel;
            CMiravel::GSensorData g{};
            EXPECT_EQ(gsensor(miravel, g), c.result);
            EXPECT_EQ(miravel.getLastErrorNumber(), c.error);
            EXPECT_EQ(lastOutput, c.line);
            if (c.error == kReadFailed) {
                EXPECT_DOUBLE_EQ(g.x, 0.25) << "X and Y are read although Z is missing";
                EXPECT_DOUBLE_EQ(g.y, 0.5);
            }
            EXPECT_EQ(tarvik::comApartmentDepth(), 1) << "only the G-sensor's own entry is left";
        }
        EXPECT_EQ(tarvik::comApartmentDepth(), 0);
    }
}

TEST_F(MiravelOnBoard, ASensorRemovedBetweenCallsFailsAndReturns)
{
    CMiravel miravel;
    CMiravel::GSensorData g{};
    ASSERT_EQ(gsensor(miravel, g), 1);
    ASSERT_TRUE(board->setFault("gsensor-missing", ""));
    EXPECT_EQ(gsensor(miravel, g), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), kOpenFailed);
    board->clearAllFaults();
    EXPECT_EQ(gsensor(miravel, g), 1);
}

TEST_F(MiravelOnBoard, ASensorRemovedBetweenOpeningAndReadingFailsTheRead)
{
    GSensor sensor; // opens and takes a report
    ASSERT_TRUE(board->setFault("gsensor-missing", ""));
    GSensor::GSENSOR_DATA_TYPE data{1, 1, 1};
    EXPECT_EQ(sensor.getSensorData(&data), static_cast<HRESULT>(0x8007048F));
    EXPECT_EQ(data.x, 0.0);
}

TEST_F(MiravelOnBoard, BoardTemperatureComesFromTheEcAndTheThermometerAgrees)
{
    ASSERT_TRUE(board->setValue("BoardTemperature", "-12"));
    CMiravel miravel;
    float celsius = 0;
    ASSERT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 1);
    EXPECT_EQ(celsius, -12.0f);
    CTSensor thermometer;
    float sensed = 0;
    EXPECT_EQ(thermometer.getSensorData(&sensed), S_OK);
    EXPECT_EQ(sensed, -12.0f);
}

TEST_F(MiravelOnBoard, ReportIntervalIsKeptByTheBoardWithinItsRange)
{
    GSensor sensor;
    auto sensors = tarvik::board::SensorBoard::open(testBoardDir());
    ASSERT_TRUE(sensors);
    EXPECT_EQ(sensor.setReportInterval(250), S_OK);
    EXPECT_EQ((*sensors)->reportIntervalMs(), 250u);
    testing::internal::CaptureStdout();
    EXPECT_EQ(sensor.setReportInterval(1), E_INVALIDARG);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nSetting current report interval failed with error 0x80070057\n");
    EXPECT_EQ((*sensors)->reportIntervalMs(), 250u);
}

// GPS power on each model's own path, seen from the board's side.
TEST_F(MiravelOnBoard, GpsSwitchReachesTheBoardOnEachModelsPath)
{
    const struct {
        const char* model;
        bool kqs;
    } cases[] = {{"KQS", true}, {"KTA", false}, {"KZS", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        makeBoard(c.model);
        CMiravel miravel;
        testing::internal::CaptureStdout();
        EXPECT_EQ(miravel.vSR_GPSModuleSwitch(0), 1);
        int status = -1;
        EXPECT_EQ(miravel.vSR_GPSModuleStatus(&status), 1);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, 0);
        const BoardState s = board->memory().locked([](BoardState& st) { return st; });
        EXPECT_EQ(s.ec[0xBF] & 0x01, 0);
        EXPECT_EQ(s.cmos[0x63] & 0x80, c.kqs ? 0x80 : 0x00) << "only the EC command touches CMOS";
        EXPECT_EQ(s.ecCommandsReceived, c.kqs ? 0u : 1u);
        EXPECT_EQ(miravel.vSR_GPSModuleSwitch(1), 1);
        EXPECT_EQ(miravel.vSR_GPSModuleStatus(&status), 1);
        EXPECT_EQ(status, 1);
    }
}

TEST_F(MiravelOnBoard, AnIgnoredGpsCommandStillReportsSuccessAndShowsInTheNextStatus)
{
    ASSERT_TRUE(board->setFault("ec-ignore-commands", ""));
    CMiravel miravel;
    testing::internal::CaptureStdout();
    EXPECT_EQ(miravel.vSR_GPSModuleSwitch(0), 1);
    int status = -1;
    EXPECT_EQ(miravel.vSR_GPSModuleStatus(&status), 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 1) << "the module is still on";
}

TEST_F(MiravelOnBoard, ADriverThatNeverStartsLeavesOnlyTheGSensor)
{
    ASSERT_TRUE(board->setFault("driver-refuse", "always"));
    CMiravel miravel;
    EXPECT_EQ(sleeper.count(2), 20u) << "11 attempts, 10 waits, in Miravel's copy and in Idovan's";
    float celsius = 0;
    EXPECT_EQ(miravel.vSR_TempSensorValueGet(&celsius), 0);
    EXPECT_EQ(miravel.getLastErrorNumber(), static_cast<std::int32_t>(0x80000002));
    CMiravel::GSensorData g{};
    EXPECT_EQ(gsensor(miravel, g), 1);
}

} // namespace
