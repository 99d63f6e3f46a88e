// libRovanta against the board's simulated STN1110 over a real pseudo-terminal (COM5 of the test
// board). Waits are shortened eightfold on both sides: the library's sleeper sleeps 2.5 ms for
// every 20 ms it is asked, and the board broadcasts eight times as often. (Twentyfold left a
// loaded machine too little time for the chip's prompt: 150 polls of 1 ms.)
#include "Board.h"
#include "J1939Interpreter.h"
#include "Rovanta.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTimeScale = 8;

class ScaledSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned ms) override
    {
        ++waits;
        std::this_thread::sleep_for(std::chrono::microseconds(ms * 1000 / kTimeScale));
    }
    std::atomic<unsigned> waits{0};
};

// The interpreter peer of the test board, on a thread of the test process.
class Interpreter {
public:
    Interpreter()
    {
        auto opened = tarvik::board::Board::open(testBoardDir());
        if (!opened)
            throw std::runtime_error(opened.error());
        board = std::move(*opened);
        board->setValue("J1939BroadcastDivisor", std::to_string(kTimeScale));
        peer = std::thread([this] { tarvik::board::serveJ1939Interpreter(*board, stop, error); });
        const std::string link = testBoardDir() + "/COM5";
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (access(link.c_str(), F_OK) != 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ~Interpreter()
    {
        stop = true;
        peer.join();
    }
    std::unique_ptr<tarvik::board::Board> board;
    std::atomic<bool> stop{false};
    std::string error;
    std::thread peer;
};

class Rovanta : public testing::Test {
protected:
    // One peer for the suite, made once main() has put the process on its test board.
    static void SetUpTestSuite() { interpreter = new Interpreter; }
    static void TearDownTestSuite()
    {
        delete interpreter;
        interpreter = nullptr;
    }

    void SetUp() override
    {
        chip.board->clearAllFaults();
        // A standing vehicle with the engine off: no counter moves while a test reads it.
        for (auto [name, value] : {std::pair{"EngineSpeed", "0"}, {"VehicleSpeed", "0"}, {"TachographSpeed", "road"},
                                   {"Odometer", "1250"}, {"TripDistance", "500"}, {"FuelUsed", "45613.5"},
                                   {"BatteryVoltage", "27.6"}, {"TripIdleTime", "512.35"},
                                   {"CoolantTemperature", "85"}, {"FuelTemperature", "45"}})
            ASSERT_TRUE(chip.board->setValue(name, value)) << name;
        vVS_SetPortNumber(5);
        vVS_SetBaudRate(115200);
    }
    void TearDown() override { vVS_UnInit(); }

    static Interpreter* interpreter;
    Interpreter& chip = *interpreter;
    ScaledSleeper sleeper;
    SleeperOverride useSleeper{sleeper};
};

Interpreter* Rovanta::interpreter = nullptr;

std::string text(int (*fn)(char**))
{
    char* t = nullptr;
    if (!fn(&t))
        return "failed";
    const std::string s = t;
    EXPECT_EQ(vVS_free(t), 1);
    return s;
}

TEST_F(Rovanta, ReadsEveryValueFromTheBus)
{
    ASSERT_EQ(vVS_Init(), 1);
    EXPECT_EQ(text(vVS_VehicleEngineedSpeed), "0");
    ASSERT_TRUE(chip.board->setValue("EngineSpeed", "621"));
    ASSERT_TRUE(chip.board->setValue("VehicleSpeed", "0.5"));
    ASSERT_TRUE(chip.board->setValue("TachographSpeed", "85.9"));
    EXPECT_EQ(text(vVS_VehicleEngineedSpeed), "621");
    EXPECT_EQ(text(vVS_VehicleSpeed), "0");
    EXPECT_EQ(text(vVS_VechicleTachographSpeed), "85");
    ASSERT_TRUE(chip.board->setValue("EngineSpeed", "0"));

    long value = 0;
    ASSERT_EQ(vVS_VehicleOdometer(&value), 1);
    EXPECT_EQ(value, 1250);
    ASSERT_EQ(vVS_VehicleTripDistance(&value), 1);
    EXPECT_EQ(value, 500);
    ASSERT_EQ(vVS_VehicleFuelLoad(&value), 1);
    EXPECT_EQ(value, 45613);
    ASSERT_EQ(vVS_VehicleBatteryVoltage(&value), 1);
    EXPECT_EQ(value, 27);
    float hours = 0;
    ASSERT_EQ(vVS_VehicleTripIdleTime(&hours), 1);
    EXPECT_FLOAT_EQ(hours, 512.35f);
    long coolant = 0;
    long fuel = 0;
    ASSERT_EQ(vVS_VechicleEngineCoolantAndFuelTemperature(&coolant, &fuel), 1);
    EXPECT_EQ(coolant, 85);
    EXPECT_EQ(fuel, 45);
}

TEST_F(Rovanta, TracesTheExchangesOnStandardOutput)
{
    testing::internal::CaptureStdout();
    ASSERT_EQ(vVS_Init(), 1);
    long litres = 0;
    ASSERT_EQ(vVS_VehicleFuelLoad(&litres), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, testing::HasSubstr("STCMM1\r\nOK\r\n\r\n>"));
    EXPECT_THAT(out, testing::HasSubstr("ATMP00FEE9\r\n6 0FEE9 00 FF FF FF FF 5B 64 01 00\r\nvalue: 0001645B\n"));
    EXPECT_THAT(out, testing::HasSubstr("[91227][45613]\n"));
}

TEST_F(Rovanta, AStatusLineInsteadOfDataIsAFailureAndTheNextValueIsRightAgain)
{
    ASSERT_EQ(vVS_Init(), 1);
    ASSERT_TRUE(chip.board->setFault("j1939-status", "NO DATA"));
    long value = 99;
    EXPECT_EQ(vVS_VehicleOdometer(&value), 0);
    EXPECT_EQ(value, 99);
    long coolant = 7;
    long fuel = 8;
    EXPECT_EQ(vVS_VechicleEngineCoolantAndFuelTemperature(&coolant, &fuel), 0);
    EXPECT_EQ(coolant, 7);
    EXPECT_EQ(fuel, 8);
    char* text = nullptr;
    EXPECT_EQ(vVS_VehicleEngineedSpeed(&text), 0);
    EXPECT_EQ(text, nullptr);
    chip.board->clearAllFaults();
    ASSERT_EQ(vVS_VehicleOdometer(&value), 1);
    EXPECT_EQ(value, 1250);
}

TEST_F(Rovanta, ASilentOrGarbledChipFailsWithinTheTimeLimits)
{
    for (const char* fault : {"j1939-silent", "j1939-garbage"}) {
        SCOPED_TRACE(fault);
        chip.board->clearAllFaults();
        ASSERT_TRUE(chip.board->setFault(fault, ""));
        testing::internal::CaptureStdout();
        sleeper.waits = 0;
        EXPECT_EQ(vVS_Init(), 0);
        // The first command's 150 polls, then the initialisation stops.
        EXPECT_EQ(sleeper.waits.load(), 150u);
        char* t = reinterpret_cast<char*>(0x1);
        EXPECT_EQ(vVS_VehicleEngineedSpeed(&t), 0);
        EXPECT_EQ(t, reinterpret_cast<char*>(0x1));
        long coolant = 7;
        long fuel = 7;
        EXPECT_EQ(vVS_VechicleEngineCoolantAndFuelTemperature(&coolant, &fuel), 0);
        EXPECT_EQ(coolant, 7);
        EXPECT_EQ(fuel, 7);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_THAT(out, testing::HasSubstr("Can't read response from STN1110!\n"));
        EXPECT_THAT(out, testing::HasSubstr("Cmd ATMP00F004 failed!\n"));
        EXPECT_THAT(out, testing::HasSubstr("Cmd ATMP00FEEE failed!\n"));
    }
}

TEST_F(Rovanta, ALostPromptFailsTheInitialisationButNotAValue)
{
    ASSERT_EQ(vVS_Init(), 1);
    ASSERT_TRUE(chip.board->setFault("j1939-no-prompt", ""));
    EXPECT_EQ(vVS_Init(), 0);
    // The port stays open and the chip keeps its settings: the answer line still comes, only
    // the stop exchange runs out.
    long value = 0;
    EXPECT_EQ(vVS_VehicleTripDistance(&value), 1);
    EXPECT_EQ(value, 500);
    chip.board->clearAllFaults();
    EXPECT_EQ(vVS_Init(), 1);
}

TEST_F(Rovanta, PortSettingsAndItsRange)
{
    vVS_SetPortNumber(0);
    vVS_SetPortNumber(-3);
    vVS_SetBaudRate(0);
    ASSERT_EQ(vVS_Init(), 1); // still COM5 at 115200

    vVS_SetPortNumber(1025);
    sleeper.waits = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(vVS_Init(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sleeper.waits.load(), 0u);

    vVS_SetPortNumber(9); // nothing there
    EXPECT_EQ(vVS_Init(), 0);
    EXPECT_EQ(sleeper.waits.load(), 0u);
}

TEST_F(Rovanta, ValuesAfterUnInitRunIntoTheTimeLimit)
{
    ASSERT_EQ(vVS_Init(), 1);
    vVS_UnInit();
    vVS_UnInit();
    sleeper.waits = 0;
    long value = 5;
    EXPECT_EQ(vVS_VehicleOdometer(&value), 0);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(sleeper.waits.load(), 300u); // answer and stop exchange, 150 polls each
    ASSERT_EQ(vVS_Init(), 1);
    EXPECT_EQ(vVS_VehicleOdometer(&value), 1);
}

// Closes the port from another thread at the fifth poll of an exchange, as the vehicle page does
// when it closes while its worker waits for the bus.
class ClosingSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override
    {
        if (++waits == 5) {
            const auto start = Clock::now();
            std::thread([] { vVS_UnInit(); }).join();
            unInitTook = Clock::now() - start;
        }
    }
    unsigned waits = 0;
    Clock::duration unInitTook{};
};

TEST_F(Rovanta, UnInitFromAnotherThreadEndsAnExchangeInProgress)
{
    ASSERT_EQ(vVS_Init(), 1);
    ASSERT_TRUE(chip.board->setFault("j1939-silent", ""));
    float hours = 0;
    {
        ClosingSleeper closing;
        SleeperOverride use(closing);
        EXPECT_EQ(vVS_VehicleTripIdleTime(&hours), 0);
        // UnInit does not wait for the exchange; the exchange finishes its polls on a closed port.
        EXPECT_LT(closing.unInitTook, std::chrono::milliseconds(100));
        EXPECT_EQ(closing.waits, 300u);
    }
    chip.board->clearAllFaults();
    ASSERT_EQ(vVS_Init(), 1);
    EXPECT_EQ(vVS_VehicleTripIdleTime(&hours), 1);
}

TEST(RovantaPlain, ProtocolGetAndFree)
{
    EXPECT_EQ(vVS_ProtocolGet("SAEJ1939"), 1);
    for (const char* other : {"saej1939", "SAEJ1939 ", "SAE J1939", "", "ISO15765"})
        EXPECT_EQ(vVS_ProtocolGet(other), 0) << other;
    EXPECT_EQ(vVS_ProtocolGet(nullptr), 0);
    EXPECT_EQ(vVS_free(nullptr), 1);
    EXPECT_EQ(vVS_free(static_cast<char*>(std::malloc(4))), 1);
}

TEST(RovantaPlain, NullOutParametersAreRefusedWithoutTouchingThePort)
{
    RecordingSleeper sleeper;
    SleeperOverride use(sleeper);
    EXPECT_EQ(vVS_VehicleEngineedSpeed(nullptr), 0);
    EXPECT_EQ(vVS_VehicleOdometer(nullptr), 0);
    EXPECT_EQ(vVS_VehicleTripIdleTime(nullptr), 0);
    long one = 0;
    EXPECT_EQ(vVS_VechicleEngineCoolantAndFuelTemperature(&one, nullptr), 0);
    EXPECT_EQ(sleeper.waits().size(), 0u);
}

TEST(RovantaPlain, ExportsOnlyItsFunctions)
{
    // Its copy of the serial port classes and the protocol core stay inside it.
    if (access("/usr/bin/nm", X_OK) != 0)
        GTEST_SKIP() << "no nm to list the dynamic symbols";
    const auto listed =
        runCommand({"/usr/bin/nm", "-D", "--defined-only", "--format=just-symbols", ROVANTA_LIBRARY});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "vVS_Init\nvVS_ProtocolGet\nvVS_SetBaudRate\nvVS_SetPortNumber\nvVS_UnInit\n"
                          "vVS_VechicleEngineCoolantAndFuelTemperature\nvVS_VechicleTachographSpeed\n"
                          "vVS_VehicleBatteryVoltage\nvVS_VehicleEngineedSpeed\nvVS_VehicleFuelLoad\n"
                          "vVS_VehicleOdometer\nvVS_VehicleSpeed\nvVS_VehicleTripDistance\n"
                          "vVS_VehicleTripIdleTime\nvVS_free\n");
}

} // namespace
