// CKestrom on the virtual board: values kept by the board, ranges, the SMS code store, the
// watchdog and emergency records, and faults injected the way a tester injects them.
#include "Board.h"
#include "Kestrom.h"
#include "PowerBoard.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <gtest/gtest.h>
#include <set>

using namespace tarvik::test;
using tarvik::board::Board;
using tarvik::board::PowerBoard;
using tarvik::board::PowerState;
using tarvik::board::PowerValue;

namespace {

class KestromOnBoard : public testing::Test {
protected:
    void SetUp() override
    {
        // A fresh board in place: the library keeps the board's files mapped across tests.
        auto made = Board::create(testBoardDir(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        auto power = PowerBoard::open(testBoardDir());
        ASSERT_TRUE(power) << power.error();
        powerBoard = std::move(*power);
    }

    PowerState state() { return powerBoard->memory().locked([](PowerState& s) { return s; }); }
    std::int32_t stored(PowerValue v) { return tarvik::board::valueOf(state(), v); }
    void poke(PowerValue v, std::int32_t value)
    {
        powerBoard->memory().locked([&](PowerState& s) { tarvik::board::valueOf(s, v) = value; });
    }
    // What fn writes to standard output (the library's diagnostic lines).
    static std::string diagnostics(const std::function<void()>& fn)
    {
        testing::internal::CaptureStdout();
        fn();
        return testing::internal::GetCapturedStdout();
    }

    RecordingSleeper sleeper;
    SleeperOverride sleeperGuard{sleeper};
    std::unique_ptr<Board> board;
    std::unique_ptr<PowerBoard> powerBoard;
};

TEST_F(KestromOnBoard, FactoryValues)
{
    CKestrom k;
    int i = 0;
    unsigned u = 0;
    unsigned char b = 0;
    float f = 0;
    EXPECT_EQ(k.vPM_ACCStatus(&i), 1);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(k.vPM_InputVoltageGet(&i), 1);
    EXPECT_EQ(i, 24);
    EXPECT_EQ(k.vPM_PowerOffDelayGet(&u), 1);
    EXPECT_EQ(u, 3u);
    EXPECT_EQ(k.vPM_24VStartupGet(&f), 1);
    EXPECT_FLOAT_EQ(f, 24.0f);
    EXPECT_EQ(k.vPM_24VShutdownGet(&f), 1);
    EXPECT_FLOAT_EQ(f, 22.0f);
    EXPECT_EQ(k.vTimer_WatchdogTimerStatus(&i), 1);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(k.vTimer_WatchdogTimerGet(&b), 1);
    EXPECT_EQ(b, 31);
    EXPECT_EQ(k.vBC_BrightnessValueGet(&i), 1);
    EXPECT_EQ(i, 80);
    EXPECT_EQ(k.vUPSBatteryCapacity(&i), 1);
    EXPECT_EQ(i, 90);
    EXPECT_EQ(k.vVehicleBatteryVoltage(&i), 1);
    EXPECT_EQ(i, 27600);
    CKestrom::ECOM2Type type{};
    EXPECT_EQ(k.vIO_COM2TypeGet(&type), 1);
    EXPECT_EQ(type, CKestrom::COM2_RS232);
}

TEST_F(KestromOnBoard, ValuesSetByOneObjectAreSeenByTheNextAndKeptByTheBoard)
{
    {
        CKestrom page;
        EXPECT_EQ(page.vBC_BrightnessValueSet(37), 1);
        EXPECT_EQ(page.vPM_InputVoltageSet(9), 1);
        EXPECT_EQ(page.vPM_PowerOnDelaySet(8), 1);
        EXPECT_EQ(page.vPM_48VShutdownSet(44.5f), 1);
        EXPECT_EQ(page.vTimer_WatchdogTimerSet(255), 1);
        EXPECT_EQ(page.vIO_COM1VoltageSet(12), 1);
        EXPECT_EQ(page.vIO_COM2TypeSet(CKestrom::COM2_RS485), 1);
        EXPECT_EQ(page.vWU_WakeOnRTCTimer(23, 59, 59), 1);
        EXPECT_EQ(page.vBC_AutoDimmingSwitch(5), 1);
        page.vPM_GSMSerialPortSet(7);
        page.vPM_GSMBaudRateSet(9600);
    }
    CKestrom next;
    int i = 0;
    unsigned u = 0;
    unsigned char h = 0, m = 0, s = 0;
    float f = 0;
    EXPECT_EQ(next.vBC_BrightnessValueGet(&i), 1);
    EXPECT_EQ(i, 37);
    EXPECT_EQ(next.vPM_InputVoltageGet(&i), 1);
    EXPECT_EQ(i, 9);
    EXPECT_EQ(next.vPM_PowerOnDelayGet(&u), 1);
    EXPECT_EQ(u, 8u);
    EXPECT_EQ(next.vPM_48VShutdownGet(&f), 1);
    EXPECT_FLOAT_EQ(f, 44.5f);
    EXPECT_EQ(next.vWU_WakeOnRTCTimerStatus(&h, &m, &s), 1);
    EXPECT_EQ(std::vector<int>({h, m, s}), std::vector<int>({23, 59, 59}));
    EXPECT_EQ(next.vBC_AutoDimmingStatusGet(&i), 1);
    EXPECT_EQ(i, 1) << "a switch stores nonzero as 1";

    const PowerState st = state();
    EXPECT_EQ(tarvik::board::valueOf(st, PowerValue::WatchdogTimeout), 255);
    EXPECT_EQ(tarvik::board::valueOf(st, PowerValue::Com1Voltage), 12);
    EXPECT_EQ(tarvik::board::valueOf(st, PowerValue::Com2Type), 3);
    EXPECT_EQ(tarvik::board::valueOf(st, PowerValue::GsmSerialPort), 7);
    EXPECT_EQ(tarvik::board::valueOf(st, PowerValue::GsmBaudRate), 9600);
}

TEST_F(KestromOnBoard, OutOfRangeValuesAreRefusedAndChangeNothing)
{
    CKestrom k;
    const PowerState before = state();
    struct Refusal {
        const char* what;
        std::function<int()> call;
    };
    const Refusal refusals[] = {
        {"brightness 150", [&] { return k.vBC_BrightnessValueSet(150); }},
        {"brightness -1", [&] { return k.vBC_BrightnessValueSet(-1); }},
        {"delay code 0", [&] { return k.vPM_PowerOnDelaySet(0); }},
        {"delay code 9", [&] { return k.vPM_PowerOffDelaySet(9); }},
        {"input voltage 10", [&] { return k.vPM_InputVoltageSet(10); }},
        {"RTC hour 24", [&] { return k.vWU_WakeOnRTCTimer(24, 0, 0); }},
        {"RTC minute 60", [&] { return k.vWU_WakeOnRTCTimer(0, 60, 0); }},
        {"RTC second 60", [&] { return k.vWU_WakeOnRTCTimer(0, 0, 60); }},
        {"COM1 7 V", [&] { return k.vIO_COM1VoltageSet(7); }},
        {"COM2 type 4", [&] { return k.vIO_COM2TypeSet(static_cast<CKestrom::ECOM2Type>(4)); }},
        {"24 V start-up 26.0", [&] { return k.vPM_24VStartupSet(26.0f); }},
        {"24 V shut-down 20.5", [&] { return k.vPM_24VShutdownSet(20.5f); }},
        {"12 V start-up of a 24 V system", [&] { return k.vPM_12VStartupSet(24.0f); }},
        {"48 V start-up NaN", [&] { return k.vPM_48VStartupSet(std::numeric_limits<float>::quiet_NaN()); }},
        {"GSM port 0", [&] { k.vPM_GSMSerialPortSet(0); return 0; }},
        {"GSM baud 1234", [&] { k.vPM_GSMBaudRateSet(1234); return 0; }},
    };
    std::vector<int> results;
    const std::string said = diagnostics([&] {
        for (const Refusal& r : refusals)
            results.push_back(r.call());
    });
    for (std::size_t n = 0; n < results.size(); ++n)
        EXPECT_EQ(results[n], 0) << refusals[n].what;
    const PowerState after = state();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "a refused value changed the board";
    EXPECT_NE(said.find("Kestrom: vBC_BrightnessValueSet(150) refused: expected 0 to 100\n"), std::string::npos) << said;
    EXPECT_NE(said.find("Kestrom: vPM_24VStartupSet(26.00) refused: expected 23.0 to 25.0 V\n"), std::string::npos) << said;
}

TEST_F(KestromOnBoard, NullOutParametersFailWithoutTouchingAnything)
{
    CKestrom k;
    EXPECT_EQ(k.vBC_BrightnessValueGet(nullptr), 0);
    EXPECT_EQ(k.vPM_24VStartupGet(nullptr), 0);
    EXPECT_EQ(k.vPM_RQ63PowerBoard(nullptr), 0);
    EXPECT_EQ(k.vWU_WakeOnSMSStringGet(nullptr), 0);
    EXPECT_EQ(k.vWU_WakeOnSMSStringSet(nullptr), 0);
    unsigned char h = 0;
    EXPECT_EQ(k.vWU_WakeOnRTCTimerStatus(&h, nullptr, &h), 0);
    EXPECT_EQ(k.vVehicleBatteryVoltage(nullptr), 0);
}

TEST_F(KestromOnBoard, ExternalPowerOnlyWhileSensorModeAndPowerButtonAreOff)
{
    CKestrom k;
    // The order the power page uses for each pair of states.
    struct Row {
        int senseMode;
        int powerButton;
        int external;
        int result;
    };
    const Row rows[] = {{0, 0, 1, 1}, {0, 1, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 1, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.senseMode << r.powerButton << r.external);
        poke(PowerValue::ExternalPower, 0);
        EXPECT_EQ(k.vPM_ACCSenseModeSetting(r.senseMode), 1);
        EXPECT_EQ(k.WU_WakeOnACCSwitch(r.senseMode), 1);
        EXPECT_EQ(k.vPM_PowerButtonSetting(r.powerButton), 1);
        EXPECT_EQ(k.vPM_ExtennalPowerSetting(r.external), r.result);
        EXPECT_EQ(stored(PowerValue::ExternalPower), r.result ? r.external : 0);
    }
}

TEST_F(KestromOnBoard, SmsCodeNeedsTheStoreInitialisedFirst)
{
    CKestrom k;
    int ready = -1;
    char code[20] = {};
    EXPECT_EQ(k.vWU_WakeOnSMSStringCheck(&ready), 1);
    EXPECT_EQ(ready, 0);
    int result = -1;
    const std::string said = diagnostics([&] { result = k.vWU_WakeOnSMSStringSet("0123ABCD"); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(said, "Kestrom: vWU_WakeOnSMSStringSet refused: the SMS code store is not initialised\n");
    EXPECT_EQ(k.vWU_WakeOnSMSStringGet(code), 0);

    EXPECT_EQ(k.vWU_WakeOnSMSStringInit(), 1);
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>{2000}) << "the store takes about two seconds";
    EXPECT_EQ(k.vWU_WakeOnSMSStringCheck(&ready), 1);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(k.vWU_WakeOnSMSStringGet(code), 0) << "an initialised store holds no code yet";

    EXPECT_EQ(k.vWU_WakeOnSMSStringSet("0123ABCD"), 1);
    std::memset(code, 'x', sizeof code);
    EXPECT_EQ(k.vWU_WakeOnSMSStringGet(code), 1);
    EXPECT_STREQ(code, "0123ABCD");
    // A refused code leaves the stored one as it was (its first eight characters included).
    for (const char* bad : {"0123ABC", "89ABCDEF0", "89abcdef", "89ABCDEG", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(bad ? bad : "null");
        EXPECT_EQ(k.vWU_WakeOnSMSStringSet(bad), 0);
        std::memset(code, 'x', sizeof code);
        EXPECT_EQ(k.vWU_WakeOnSMSStringGet(code), 1);
        EXPECT_STREQ(code, "0123ABCD");
    }

    // Initialising again empties the store.
    EXPECT_EQ(k.vWU_WakeOnSMSStringInit(), 1);
    EXPECT_EQ(k.vWU_WakeOnSMSStringGet(code), 0);
}

TEST_F(KestromOnBoard, SmsStoreInitialisationTakesTheTimeTheProfileGives)
{
    ASSERT_TRUE(board->setValue("SmsStoreInitMs", "350"));
    CKestrom k;
    EXPECT_EQ(k.vWU_WakeOnSMSStringInit(), 1);
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>{350});
}

TEST_F(KestromOnBoard, ForcedWatchdogExpiryIsRecordedOnlyWhileTheWatchdogRuns)
{
    CKestrom k;
    EXPECT_EQ(k.vTimer_WatchdogTimerSimulate(), 0);
    EXPECT_EQ(state().watchdogExpiries, 0u);
    EXPECT_EQ(k.vTimer_WatchdogTimerSwitch(1), 1);
    const auto before = std::time(nullptr);
    EXPECT_EQ(k.vTimer_WatchdogTimerSimulate(), 1);
    EXPECT_EQ(k.vTimer_WatchdogTimerSimulate(), 1);
    EXPECT_EQ(state().watchdogExpiries, 2u);
    EXPECT_GE(state().lastWatchdogExpiry, before);
}

TEST_F(KestromOnBoard, EmergencyKeyLatchesUntilTheReset)
{
    CKestrom k;
    powerBoard->pressEmergencyKey();
    EXPECT_EQ(stored(PowerValue::EmergencyLatch), 1);
    EXPECT_EQ(k.EB_EmergencyButtonReset(), 1);
    EXPECT_EQ(stored(PowerValue::EmergencyLatch), 0);
    EXPECT_EQ(state().emergencyPresses, 1u);
}

TEST_F(KestromOnBoard, PowerBoardKindComesFromTheProfile)
{
    CKestrom k;
    int high = -1;
    ASSERT_TRUE(board->setValue("PowerBoard", "low"));
    EXPECT_EQ(k.vPM_RQ63PowerBoard(&high), 1);
    EXPECT_EQ(high, 0);
    ASSERT_TRUE(board->setValue("PowerBoard", "high"));
    EXPECT_EQ(k.vPM_RQ63PowerBoard(&high), 1);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(board->unsetValue("PowerBoard"));
    high = -1;
    EXPECT_EQ(k.vPM_RQ63PowerBoard(&high), 0);
    EXPECT_EQ(high, -1);
}

TEST_F(KestromOnBoard, ValuesTheBoardReportsOutsideTheRangesComeBackAsTheyAre)
{
    // The board may report what a page must cope with (a delay code above 8, 24.3 V).
    poke(PowerValue::PowerOnDelay, 12);
    poke(PowerValue::Brightness, 150);
    powerBoard->memory().locked([](PowerState& s) { s.startupVolts[1] = 24.3f; });
    CKestrom k;
    unsigned u = 0;
    int i = 0;
    float f = 0;
    EXPECT_EQ(k.vPM_PowerOnDelayGet(&u), 1);
    EXPECT_EQ(u, 12u);
    EXPECT_EQ(k.vBC_BrightnessValueGet(&i), 1);
    EXPECT_EQ(i, 150);
    EXPECT_EQ(k.vPM_24VStartupGet(&f), 1);
    EXPECT_FLOAT_EQ(f, 24.3f);
    EXPECT_EQ(k.vPM_24VStartupSet(f), 1) << "the dialog writes back a value it read between its steps";
}

// Every method, called so that it succeeds on a prepared board.
struct Call {
    std::string method;
    std::function<int(CKestrom&)> run;
};

std::vector<Call> everyMethod(PowerBoard& power)
{
    // The calls outlive this function: their out-parameters must too.
    static int i = 0;
    static unsigned u = 0;
    static unsigned char b = 0, h = 0, m = 0, s = 0;
    static float f = 0;
    static CKestrom::ECOM2Type t{};
    auto changed = [&power](PowerValue v, int expected) {
        return power.memory().locked([&](PowerState& st) { return tarvik::board::valueOf(st, v) == expected; }) ? 1 : 0;
    };
    return {
        {"vPM_ACCStatus", [&](CKestrom& k) { return k.vPM_ACCStatus(&i); }},
        {"WU_WakeOnACCStatus", [&](CKestrom& k) { return k.WU_WakeOnACCStatus(&i); }},
        {"WU_WakeOnACCSwitch", [&](CKestrom& k) { return k.WU_WakeOnACCSwitch(1); }},
        {"vPM_ACCSenseModeGetting", [&](CKestrom& k) { return k.vPM_ACCSenseModeGetting(&i); }},
        {"vPM_ACCSenseModeSetting", [&](CKestrom& k) { return k.vPM_ACCSenseModeSetting(0); }},
        {"vPM_PowerButtonGetting", [&](CKestrom& k) { return k.vPM_PowerButtonGetting(&i); }},
        {"vPM_PowerButtonSetting", [&](CKestrom& k) { return k.vPM_PowerButtonSetting(0); }},
        {"vPM_ExtennalPowerSetting", [&](CKestrom& k) { return k.vPM_ExtennalPowerSetting(0); }},
        {"vPM_InputVoltageGet", [&](CKestrom& k) { return k.vPM_InputVoltageGet(&i); }},
        {"vPM_InputVoltageSet", [&](CKestrom& k) { return k.vPM_InputVoltageSet(12); }},
        {"vPM_PowerOnTimerEnable", [&](CKestrom& k) { return k.vPM_PowerOnTimerEnable(1); }},
        {"vPM_PowerOnTimerEnableStatus", [&](CKestrom& k) { return k.vPM_PowerOnTimerEnableStatus(&i); }},
        {"vPM_PowerOffTimerEnable", [&](CKestrom& k) { return k.vPM_PowerOffTimerEnable(1); }},
        {"vPM_PowerOffTimerEnableStatus", [&](CKestrom& k) { return k.vPM_PowerOffTimerEnableStatus(&i); }},
        {"vPM_PowerOnDelayGet", [&](CKestrom& k) { return k.vPM_PowerOnDelayGet(&u); }},
        {"vPM_PowerOnDelaySet", [&](CKestrom& k) { return k.vPM_PowerOnDelaySet(2); }},
        {"vPM_PowerOffDelayGet", [&](CKestrom& k) { return k.vPM_PowerOffDelayGet(&u); }},
        {"vPM_PowerOffDelaySet", [&](CKestrom& k) { return k.vPM_PowerOffDelaySet(2); }},
        {"vPM_12VStartupGet", [&](CKestrom& k) { return k.vPM_12VStartupGet(&f); }},
        {"vPM_12VStartupSet", [&](CKestrom& k) { return k.vPM_12VStartupSet(12.5f); }},
        {"vPM_12VShutdownGet", [&](CKestrom& k) { return k.vPM_12VShutdownGet(&f); }},
        {"vPM_12VShutdownSet", [&](CKestrom& k) { return k.vPM_12VShutdownSet(10.5f); }},
        {"vPM_24VStartupGet", [&](CKestrom& k) { return k.vPM_24VStartupGet(&f); }},
        {"vPM_24VStartupSet", [&](CKestrom& k) { return k.vPM_24VStartupSet(23.5f); }},
        {"vPM_24VShutdownGet", [&](CKestrom& k) { return k.vPM_24VShutdownGet(&f); }},
        {"vPM_24VShutdownSet", [&](CKestrom& k) { return k.vPM_24VShutdownSet(21.5f); }},
        {"vPM_36VStartupGet", [&](CKestrom& k) { return k.vPM_36VStartupGet(&f); }},
        {"vPM_36VStartupSet", [&](CKestrom& k) { return k.vPM_36VStartupSet(35.5f); }},
        {"vPM_36VShutdownGet", [&](CKestrom& k) { return k.vPM_36VShutdownGet(&f); }},
        {"vPM_36VShutdownSet", [&](CKestrom& k) { return k.vPM_36VShutdownSet(33.5f); }},
        {"vPM_48VStartupGet", [&](CKestrom& k) { return k.vPM_48VStartupGet(&f); }},
        {"vPM_48VStartupSet", [&](CKestrom& k) { return k.vPM_48VStartupSet(48.0f); }},
        {"vPM_48VShutdownGet", [&](CKestrom& k) { return k.vPM_48VShutdownGet(&f); }},
        {"vPM_48VShutdownSet", [&](CKestrom& k) { return k.vPM_48VShutdownSet(45.0f); }},
        {"vPM_RQ63PowerBoard", [&](CKestrom& k) { return k.vPM_RQ63PowerBoard(&i); }},
        {"vPM_GSMSerialPortSet", [&, changed](CKestrom& k) { k.vPM_GSMSerialPortSet(9); return changed(PowerValue::GsmSerialPort, 9); }},
        {"vPM_GSMBaudRateSet", [&, changed](CKestrom& k) { k.vPM_GSMBaudRateSet(4800); return changed(PowerValue::GsmBaudRate, 4800); }},
        {"vWU_WakeOnSMSStatus", [&](CKestrom& k) { return k.vWU_WakeOnSMSStatus(&i); }},
        {"vWU_WakeOnSMSSwitch", [&](CKestrom& k) { return k.vWU_WakeOnSMSSwitch(1); }},
        {"vWU_WakeOnSMSStringCheck", [&](CKestrom& k) { return k.vWU_WakeOnSMSStringCheck(&i); }},
        {"vWU_WakeOnSMSStringInit", [&](CKestrom& k) { return k.vWU_WakeOnSMSStringInit(); }},
        {"vWU_WakeOnSMSStringSet", [&](CKestrom& k) { return k.vWU_WakeOnSMSStringSet("89ABCDEF"); }},
        {"vWU_WakeOnSMSStringGet", [&](CKestrom& k) { char c[20] = {}; return k.vWU_WakeOnSMSStringGet(c); }},
        {"vWU_WakeOnRTCStatus", [&](CKestrom& k) { return k.vWU_WakeOnRTCStatus(&i); }},
        {"vWU_WakeOnRTCSwitch", [&](CKestrom& k) { return k.vWU_WakeOnRTCSwitch(1); }},
        {"vWU_WakeOnRTCTimer", [&](CKestrom& k) { return k.vWU_WakeOnRTCTimer(6, 30, 0); }},
        {"vWU_WakeOnRTCTimerStatus", [&](CKestrom& k) { return k.vWU_WakeOnRTCTimerStatus(&h, &m, &s); }},
        {"vTimer_WatchdogTimerSwitch", [&](CKestrom& k) { return k.vTimer_WatchdogTimerSwitch(1); }},
        {"vTimer_WatchdogTimerStatus", [&](CKestrom& k) { return k.vTimer_WatchdogTimerStatus(&i); }},
        {"vTimer_WatchdogTimerGet", [&](CKestrom& k) { return k.vTimer_WatchdogTimerGet(&b); }},
        {"vTimer_WatchdogTimerSet", [&](CKestrom& k) { return k.vTimer_WatchdogTimerSet(15); }},
        {"vTimer_WatchdogTimerSimulate", [&](CKestrom& k) { return k.vTimer_WatchdogTimerSimulate(); }},
        {"vBC_BrightnessValueGet", [&](CKestrom& k) { return k.vBC_BrightnessValueGet(&i); }},
        {"vBC_BrightnessValueSet", [&](CKestrom& k) { return k.vBC_BrightnessValueSet(10); }},
        {"vBC_AutoDimmingStatusGet", [&](CKestrom& k) { return k.vBC_AutoDimmingStatusGet(&i); }},
        {"vBC_AutoDimmingSwitch", [&](CKestrom& k) { return k.vBC_AutoDimmingSwitch(1); }},
        {"vIO_COM1VoltageGet", [&](CKestrom& k) { return k.vIO_COM1VoltageGet(&b); }},
        {"vIO_COM1VoltageSet", [&](CKestrom& k) { return k.vIO_COM1VoltageSet(5); }},
        {"vIO_COM2TypeGet", [&](CKestrom& k) { return k.vIO_COM2TypeGet(&t); }},
        {"vIO_COM2TypeSet", [&](CKestrom& k) { return k.vIO_COM2TypeSet(CKestrom::COM2_RS422); }},
        {"vUPSBatteryCapacity", [&](CKestrom& k) { return k.vUPSBatteryCapacity(&i); }},
        {"EB_EmergencyButtonReset", [&](CKestrom& k) { return k.EB_EmergencyButtonReset(); }},
        {"vVehicleBatteryVoltage", [&](CKestrom& k) { return k.vVehicleBatteryVoltage(&i); }},
    };
}

class KestromFaults : public KestromOnBoard {
protected:
    // Every method can succeed: the watchdog runs, the SMS store holds a code.
    void prepare()
    {
        powerBoard->reset();
        poke(PowerValue::Watchdog, 1);
        poke(PowerValue::SmsStoreReady, 1);
        powerBoard->memory().locked([](PowerState& s) { std::memcpy(s.smsCode, "01234567", 8); });
    }
};

TEST_F(KestromFaults, EveryMethodCanBeMadeToFailAndRecovers)
{
    const std::vector<Call> calls = everyMethod(*powerBoard);
    std::set<std::string> names;
    for (const Call& c : calls)
        names.insert(c.method);
    const auto& listed = tarvik::board::kestromMethodNames();
    EXPECT_EQ(names, std::set<std::string>(listed.begin(), listed.end()))
        << "the fault's list of methods and the library's methods differ";

    CKestrom k;
    for (const Call& c : calls) {
        SCOPED_TRACE(c.method);
        prepare();
        EXPECT_EQ(c.run(k), 1) << "fails without a fault";
        prepare();
        const PowerState before = state();
        ASSERT_TRUE(board->setFault("kestrom-fail", c.method));
        EXPECT_EQ(c.run(k), 0);
        const PowerState after = state();
        EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "a failed call changed the board";
        ASSERT_TRUE(board->clearFault("kestrom-fail"));
        EXPECT_EQ(c.run(k), 1) << "still failing after the fault was cleared";
    }
    EXPECT_EQ(sleeper.totalMs(), 2u * 2000) << "only the successful initialisations wait";
}

TEST_F(KestromFaults, SeveralMethodsOrAllOfThem)
{
    const std::vector<Call> calls = everyMethod(*powerBoard);
    CKestrom k;
    int i = 0;
    ASSERT_TRUE(board->setFault("kestrom-fail", "vBC_BrightnessValueGet,vBC_BrightnessValueSet"));
    EXPECT_EQ(k.vBC_BrightnessValueGet(&i), 0);
    EXPECT_EQ(k.vBC_BrightnessValueSet(50), 0);
    EXPECT_EQ(k.vBC_AutoDimmingStatusGet(&i), 1);

    ASSERT_TRUE(board->setFault("kestrom-fail", "all"));
    for (const Call& c : calls) {
        SCOPED_TRACE(c.method);
        prepare();
        EXPECT_EQ(c.run(k), 0);
    }
    board->clearAllFaults();
    EXPECT_EQ(k.vBC_BrightnessValueGet(&i), 1);
    EXPECT_FALSE(board->setFault("kestrom-fail", "vBC_Brightness"));
    EXPECT_FALSE(board->setFault("kestrom-fail", ""));
}

TEST_F(KestromFaults, AnySetOfMethodsFailsTogether)
{
    const std::vector<Call> calls = everyMethod(*powerBoard);
    // Far longer, typed out, than a fault argument may be; every method at once the longest list.
    std::vector<std::string> everyName;
    for (const Call& c : calls)
        everyName.push_back(c.method);
    const std::vector<std::vector<std::string>> sets = {
        {"vWU_WakeOnSMSStringCheck", "vWU_WakeOnSMSStringInit", "vWU_WakeOnSMSStringSet", "vWU_WakeOnSMSStringGet"},
        {"vVehicleBatteryVoltage", "vPM_ACCStatus", "vPM_48VShutdownSet", "vWU_WakeOnRTCTimerStatus",
         "vPM_PowerOffTimerEnableStatus", "vPM_GSMBaudRateSet"},
        everyName,
    };
    CKestrom k;
    for (const auto& set : sets) {
        std::string list;
        for (const std::string& name : set)
            list += (list.empty() ? "" : ",") + name;
        SCOPED_TRACE(list);
        const auto result = board->setFault("kestrom-fail", list);
        ASSERT_TRUE(result) << result.error();
        for (const Call& c : calls) {
            SCOPED_TRACE(c.method);
            prepare();
            const bool listed = std::find(set.begin(), set.end(), c.method) != set.end();
            EXPECT_EQ(c.run(k), listed ? 0 : 1);
        }
    }
}

} // namespace
