// CTelnira on the virtual board, model by model: which EC bit, EC command or CMOS byte each
// operation uses, its diagnostic lines, its settling wait and its read-back.
#include "Board.h"
#include "Idovan.h"
#include "MobileBroadband.h"
#include "Telnira.h"
#include "TestSupport.h"
#include "WirelessBoard.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

using tarvik::board::Board;
using tarvik::board::BoardState;
using tarvik::test::RecordingSleeper;

namespace {

constexpr std::int32_t kNotInitialised = CTelnira::kErrorNotInitialised;
constexpr std::int32_t kInvalid = CTelnira::kErrorInvalidArgument;
constexpr std::int32_t kNoEffect = CTelnira::kErrorSwitchFailed;
constexpr std::uint8_t kWlanBt = 0xBE;
constexpr std::uint8_t kWwan = 0x9D;

// The process's port driver, counted: how many EC transactions of each kind went through it.
class CountingPortIo final : public tarvik::PortIo {
public:
    explicit CountingPortIo(tarvik::PortIo& real) : real_(real) {}
    bool initialize() override { return real_.initialize(); }
    bool readPort(std::uint16_t port, std::uint32_t* value) override
    {
        ++accesses;
        return real_.readPort(port, value);
    }
    bool writePort(std::uint16_t port, std::uint32_t value) override
    {
        ++accesses;
        if (port == 0x6C)
            ++(value == 0x01 ? ecReads : value == 0x02 ? ecWrites : ecCommands);
        if (port == 0x72)
            ++cmosReads;
        return real_.writePort(port, value);
    }
    int accesses = 0;
    int ecReads = 0;
    int ecWrites = 0;
    int ecCommands = 0;
    int cmosReads = 0;

private:
    tarvik::PortIo& real_;
};

class TelniraOnBoard : public testing::Test {
protected:
    void SetUp() override { useModel("KTA"); }

    void useModel(const std::string& model)
    {
        auto made = Board::create(tarvik::test::testBoardDir(), model);
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
    }
    std::uint8_t ec(std::uint8_t address)
    {
        return board->memory().locked([&](BoardState& s) { return s.ec[address]; });
    }
    void setEc(std::uint8_t address, std::uint8_t value)
    {
        board->memory().locked([&](BoardState& s) { s.ec[address] = value; });
    }
    std::uint8_t cmos(std::uint8_t index)
    {
        return board->memory().locked([&](BoardState& s) { return s.cmos[index]; });
    }
    void setCmos(std::uint8_t index, std::uint8_t value)
    {
        board->memory().locked([&](BoardState& s) { s.cmos[index] = value; });
    }
    std::uint32_t commandsReceived()
    {
        return board->memory().locked([](BoardState& s) { return s.ecCommandsReceived; });
    }
    std::uint32_t lastCommand()
    {
        return board->memory().locked([](BoardState& s) { return s.ecLastCommand; });
    }
    std::unique_ptr<tarvik::board::WirelessBoard> wireless()
    {
        auto w = tarvik::board::WirelessBoard::open(*board);
        EXPECT_TRUE(w);
        return std::move(*w);
    }
    // Runs fn and returns what it wrote to standard output.
    template <class Fn>
    std::string output(Fn&& fn)
    {
        testing::internal::CaptureStdout();
        fn();
        return testing::internal::GetCapturedStdout();
    }

    RecordingSleeper sleeper;
    tarvik::test::SleeperOverride sleeperGuard{sleeper};
    std::unique_ptr<Board> board;
};

using Switch = int (CTelnira::*)(int);
using Status = int (CTelnira::*)(int*);

std::string commandLine(unsigned code)
{
    char line[64];
    std::snprintf(line, sizeof line, "CWinIOUtility::SendECCommand:0x%x\n", code);
    return line;
}

} // namespace

// KQS: read the control byte, change one bit, write it back; no command, no wait, no read-back.
TEST_F(TelniraOnBoard, KqsSwitchesOneBitOfTheWlanBluetoothControlByte)
{
    struct Row {
        const char* name;
        Switch op;
        int on;
        std::uint8_t before;
        std::uint8_t after;
    } rows[] = {
        {"vCM_WLANModuleSwitch", &CTelnira::vCM_WLANModuleSwitch, 1, 0x05, 0x07},
        {"vCM_BluetoothModuleSwitch", &CTelnira::vCM_BluetoothModuleSwitch, 0, 0x05, 0x01},
        {"vCM_WLANPowerOnOff", &CTelnira::vCM_WLANPowerOnOff, 0, 0x05, 0x04},
        {"vCM_BluetoothPowerOnOff", &CTelnira::vCM_BluetoothPowerOnOff, 1, 0x04, 0x05},
        {"vCM_WLANModuleSwitch", &CTelnira::vCM_WLANModuleSwitch, 0, 0x07, 0x05},
        {"vCM_BluetoothModuleSwitch", &CTelnira::vCM_BluetoothModuleSwitch, 2, 0x01, 0x05},
    };
    useModel("KQS");
    CTelnira telnira;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " " + std::to_string(r.on));
        setEc(kWlanBt, r.before);
        sleeper.clear();
        const std::uint32_t commands = commandsReceived();
        int result = -1;
        const std::string out = output([&] { result = (telnira.*r.op)(r.on); });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(ec(kWlanBt), r.after);
        char expected[256];
        std::snprintf(expected, sizeof expected,
                      "%s: read value 0x%x, from 0xbe\n%s: I'm going to set 0x%x, to EC ADDR 0xbe\n", r.name,
                      r.before, r.name, r.after);
        EXPECT_EQ(out, expected);
        EXPECT_EQ(sleeper.count(500), 0u);
        EXPECT_EQ(commandsReceived(), commands);
    }
    int status = 7;
    setEc(kWlanBt, 0x00);
    EXPECT_EQ(telnira.vCM_WLANModuleStatus(&status), 1);
    EXPECT_EQ(status, 0);
    setEc(kWlanBt, 0x05);
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANPowerStatus(&status), 1); }),
              "vCM_BluetoothPowerStatus: read value 0x5, from 0xbe\n");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(telnira.vCM_BluetoothModuleStatus(&status), 1);
    EXPECT_EQ(status, 1);
}

// The other models send EC commands; the module and antenna switches read their CMOS bit back
// after 500 ms and compare it with the argument.
TEST_F(TelniraOnBoard, OtherModelsSwitchByEcCommand)
{
    struct Row {
        const char* name;
        Switch op;
        int argument;
        unsigned command;
        std::size_t settlingWaits;
    } rows[] = {
        {"Bluetooth module off", &CTelnira::vCM_BluetoothModuleSwitch, 0, 0x23, 1},
        {"Bluetooth module on", &CTelnira::vCM_BluetoothModuleSwitch, 1, 0x22, 1},
        {"external antenna", &CTelnira::vCM_WLANAntennaSwitch, 1, 0x07, 1},
        {"internal antenna", &CTelnira::vCM_WLANAntennaSwitch, 0, 0x06, 1},
        {"antenna 2 counts as internal", &CTelnira::vCM_WLANAntennaSwitch, 2, 0x06, 1},
        {"WLAN power on", &CTelnira::vCM_WLANPowerOnOff, 1, 0x3D, 0},
        {"Bluetooth power off", &CTelnira::vCM_BluetoothPowerOnOff, 0, 0x3E, 0},
        {"Bluetooth power on", &CTelnira::vCM_BluetoothPowerOnOff, 5, 0x3D, 0},
        {"WLAN power off", &CTelnira::vCM_WLANPowerOnOff, 0, 0x3E, 0},
    };
    for (const char* model : {"KTA", "KTE", "KTH", "KTM", "KTR", "KPN", "KZS", "OTHER"}) {
        useModel(model);
        CTelnira telnira;
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(model) + ": " + r.name);
            sleeper.clear();
            const std::uint32_t commands = commandsReceived();
            int result = -1;
            const std::string out = output([&] { result = (telnira.*r.op)(r.argument); });
            EXPECT_EQ(result, 1);
            EXPECT_EQ(telnira.getLastErrorNumber(), 0);
            EXPECT_EQ(commandsReceived(), commands + 1);
            EXPECT_EQ(lastCommand(), r.command);
            EXPECT_EQ(out, commandLine(r.command));
            EXPECT_EQ(sleeper.count(500), r.settlingWaits);
        }
        int selection = 7;
        EXPECT_EQ(telnira.vCM_WLANAntennaStatus(&selection), 1);
        EXPECT_EQ(selection, 0);
    }
}

// A switch whose effect does not show 500 ms later fails with 0x80000006; the code stays after
// later successes. The KQS paths read nothing back and cannot fail that way.
TEST_F(TelniraOnBoard, ASwitchTheBoardIgnoresFailsItsReadBack)
{
    struct Row {
        const char* model;
        const char* name;
        Switch op;
        int argument;
        int result;
        std::size_t settlingWaits;
    } rows[] = {
        {"KTA", "Bluetooth module", &CTelnira::vCM_BluetoothModuleSwitch, 0, 0, 1},
        {"KTA", "antenna", &CTelnira::vCM_WLANAntennaSwitch, 1, 0, 1},
        {"KTR", "WLAN module", &CTelnira::vCM_WLANModuleSwitch, 0, 0, 1},
        {"KTA", "WWAN power", &CTelnira::vCM_WWANPowerOnOff, 0, 0, 1},
        {"KTA", "WWAN module", &CTelnira::vCM_WWANModuleSwitch, 0, 0, 1},
        {"KTA", "SIM slot", &CTelnira::vCM_WWANSIMSlotSwitch, 2, 0, 1},
        {"KQS", "WWAN power", &CTelnira::vCM_WWANPowerOnOff, 0, 1, 0},
        {"KQS", "WLAN module", &CTelnira::vCM_WLANModuleSwitch, 0, 1, 0},
        {"KQS", "Bluetooth module", &CTelnira::vCM_BluetoothModuleSwitch, 0, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.model) + ": " + r.name);
        useModel(r.model);
        ASSERT_TRUE(board->setFault("ec-ignore-commands", ""));
        CTelnira telnira;
        sleeper.clear();
        int result = -1;
        output([&] { result = (telnira.*r.op)(r.argument); });
        EXPECT_EQ(result, r.result);
        EXPECT_EQ(telnira.getLastErrorNumber(), r.result ? 0 : kNoEffect);
        EXPECT_EQ(sleeper.count(500), r.settlingWaits);
        int status = 0;
        EXPECT_EQ(telnira.vCM_WWANPowerStatus(&status), 1);
        EXPECT_EQ(telnira.getLastErrorNumber(), r.result ? 0 : kNoEffect) << "success keeps the last failure";
    }
}

TEST_F(TelniraOnBoard, OnlyZeroAndOneCanVerify)
{
    CTelnira telnira;
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_BluetoothModuleSwitch(2), 0); }), commandLine(0x22));
    EXPECT_EQ(telnira.getLastErrorNumber(), kNoEffect);
    EXPECT_EQ(cmos(0x61) & 0x80, 0x80) << "the module did switch on";
}

// KTR: the WLAN module by EC command, read back through the WLAN service after 500 ms; the other
// models switch the WLAN radio through the service and read nothing back.
TEST_F(TelniraOnBoard, WlanModuleSwitchByModel)
{
    useModel("KTR");
    {
        CTelnira telnira;
        int status = 7;
        std::string out = output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(0), 1); });
        EXPECT_EQ(out.rfind(commandLine(0x21), 0), 0u) << out;
        EXPECT_NE(out.find("      Software radio state[0]:\t Off\n"), std::string::npos) << out;
        EXPECT_EQ(sleeper.count(500), 1u);
        output([&] { EXPECT_EQ(telnira.vCM_WLANModuleStatus(&status), 1); });
        EXPECT_EQ(status, 0);

        output([&] { EXPECT_EQ(telnira.vCM_WLANPowerOnOff(0), 1); });
        output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 0); });
        EXPECT_EQ(telnira.getLastErrorNumber(), kNoEffect) << "an unpowered module does not come on";
        output([&] { EXPECT_EQ(telnira.vCM_WLANPowerOnOff(1), 1); });
        output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 1); });
    }

    useModel("KTA");
    CTelnira telnira;
    sleeper.clear();
    const std::uint32_t commands = commandsReceived();
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(0), 1); }), "set state success!\n");
    EXPECT_EQ(commandsReceived(), commands);
    EXPECT_EQ(sleeper.count(500), 0u);
    EXPECT_EQ(cmos(0x60) & 0x80, 0) << "the board's WLAN radio went off";
}

// Each status read sees its own bit, set and clear, whatever the other bits of the byte say.
TEST_F(TelniraOnBoard, StatusReadsFollowTheirBit)
{
    enum Where { Ec, Cmos };
    const struct {
        const char* model;
        const char* name;
        Status op;
        Where where;
        std::uint8_t address;
        std::uint8_t value;
        int status;
    } rows[] = {
        {"KTA", "external antenna", &CTelnira::vCM_WLANAntennaStatus, Cmos, 0x65, 0x08, 1},
        {"KTA", "internal antenna", &CTelnira::vCM_WLANAntennaStatus, Cmos, 0x65, 0xF7, 0},
        {"KQS", "external antenna", &CTelnira::vCM_WLANAntennaStatus, Cmos, 0x65, 0x08, 1},
        {"KTA", "Bluetooth module on", &CTelnira::vCM_BluetoothModuleStatus, Cmos, 0x61, 0x80, 1},
        {"KTA", "Bluetooth module off", &CTelnira::vCM_BluetoothModuleStatus, Cmos, 0x61, 0x7F, 0},
        {"KQS", "Bluetooth module on", &CTelnira::vCM_BluetoothModuleStatus, Ec, kWlanBt, 0x04, 1},
        {"KQS", "Bluetooth module off", &CTelnira::vCM_BluetoothModuleStatus, Ec, kWlanBt, 0xFB, 0},
        {"KQS", "WLAN module on", &CTelnira::vCM_WLANModuleStatus, Ec, kWlanBt, 0x02, 1},
        {"KQS", "WLAN module off", &CTelnira::vCM_WLANModuleStatus, Ec, kWlanBt, 0xFD, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.model) + ": " + r.name);
        useModel(r.model);
        if (r.where == Ec)
            setEc(r.address, r.value);
        else
            setCmos(r.address, r.value);
        CTelnira telnira;
        int status = 7;
        output([&] { EXPECT_EQ((telnira.*r.op)(&status), 1); });
        EXPECT_EQ(status, r.status);
        EXPECT_EQ(telnira.getLastErrorNumber(), 0);
    }
}

TEST_F(TelniraOnBoard, PowerStatusIsTheWlanRadioOrTheBluetoothModule)
{
    struct Row {
        bool wlanOn;
        std::uint8_t bluetoothCmos;
        int status;
    } rows[] = {{false, 0x80, 1}, {true, 0x00, 1}, {false, 0x00, 0}, {true, 0x80, 1}};
    CTelnira telnira;
    auto w = wireless();
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.wlanOn << " " << int(r.bluetoothCmos));
        ASSERT_TRUE(w->setWlanSoftwareRadio(0, r.wlanOn));
        setCmos(0x61, r.bluetoothCmos);
        int status = 7;
        output([&] { EXPECT_EQ(telnira.vCM_BluetoothPowerStatus(&status), 1); });
        EXPECT_EQ(status, r.status);
    }
}

TEST_F(TelniraOnBoard, ModulePresence)
{
    struct Row {
        const char* model;
        const char* wlanFitted;
        const char* wwanFitted;
        int wlan;
        int wwan;
        const char* lines;
    } rows[] = {
        {"KTA", "1", "1", 1, 1, ""},
        {"KTA", "0", "0", 0, 0, ""},
        {"KQS", "1", "1", 1, 1,
         "vCM_WLANModuleHWStatus: get value:0x3 from 0xa3\nvCM_WWANModuleHWStatus: get value:0x3 from 0xa3\n"},
        {"KQS", "0", "1", 0, 1,
         "vCM_WLANModuleHWStatus: get value:0x1 from 0xa3\nvCM_WWANModuleHWStatus: get value:0x1 from 0xa3\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.model) + " WLAN " + r.wlanFitted + " WWAN " + r.wwanFitted);
        useModel(r.model);
        ASSERT_TRUE(board->setValue("WLANFitted", r.wlanFitted));
        ASSERT_TRUE(board->setValue("WWANFitted", r.wwanFitted));
        CTelnira telnira;
        int wlan = 7;
        int wwan = 7;
        EXPECT_EQ(output([&] {
                      EXPECT_EQ(telnira.vCM_WLANModuleHWStatus(&wlan), 1);
                      EXPECT_EQ(telnira.vCM_WWANModuleHWStatus(&wwan), 1);
                  }),
                  r.lines);
        EXPECT_EQ(wlan, r.wlan);
        EXPECT_EQ(wwan, r.wwan);
    }
}

// WWAN power and enable: KQS writes at once; the other models wait 500 ms and read back.
TEST_F(TelniraOnBoard, WwanBitSwitches)
{
    struct Row {
        const char* model;
        Switch op;
        int on;
        std::uint8_t before;
        std::uint8_t after;
        int result;
        std::size_t settlingWaits;
        const char* lines;
    } rows[] = {
        {"KTA", &CTelnira::vCM_WWANPowerOnOff, 0, 0x0A, 0x08, 1, 1,
         "vCM_WWANPowerOnOff,readECDate =0xa\nvCM_WWANPowerOnOff,writeECDate =0x8\n"
         "vCM_WWANPowerStatus,readECDate =0x8\n"},
        {"KPN", &CTelnira::vCM_WWANModuleSwitch, 1, 0x0A, 0x0E, 1, 1,
         "vCM_WWANModuleSwitch: byte read from EC_WWAN_BASE_ADDRESS = 0xa\n"
         "vCM_WWANModuleSwitch: byte wrote to EC_WWAN_BASE_ADDRESS = 0xe\n"},
        // Enable needs power: the board drops it and the read-back sees that.
        {"KTH", &CTelnira::vCM_WWANModuleSwitch, 1, 0x08, 0x08, 0, 1,
         "vCM_WWANModuleSwitch: byte read from EC_WWAN_BASE_ADDRESS = 0x8\n"
         "vCM_WWANModuleSwitch: byte wrote to EC_WWAN_BASE_ADDRESS = 0xc\n"},
        {"KQS", &CTelnira::vCM_WWANPowerOnOff, 1, 0x08, 0x0A, 1, 0,
         "vCM_WWANPowerOnOff: read value 0x8, from 0x9d\n"
         "vCM_WWANPowerOnOff: I'm going to set 0xa, to EC ADDR 0x9d\n"},
        {"KQS", &CTelnira::vCM_WWANModuleSwitch, 0, 0x0E, 0x0A, 1, 0,
         "vCM_WWANModuleSwitch: read value 0xe, from 0x9d\n"
         "vCM_WWANModuleSwitch: I'm going to set 0xa, to EC ADDR 0x9d\n"},
        // Any non-zero argument sets the bit, but the read-back (0 or 1) is compared with the
        // argument itself: only 1 verifies.
        {"KTA", &CTelnira::vCM_WWANPowerOnOff, 2, 0x08, 0x0A, 0, 1,
         "vCM_WWANPowerOnOff,readECDate =0x8\nvCM_WWANPowerOnOff,writeECDate =0xa\n"
         "vCM_WWANPowerStatus,readECDate =0xa\n"},
        {"KTE", &CTelnira::vCM_WWANModuleSwitch, 2, 0x0A, 0x0E, 0, 1,
         "vCM_WWANModuleSwitch: byte read from EC_WWAN_BASE_ADDRESS = 0xa\n"
         "vCM_WWANModuleSwitch: byte wrote to EC_WWAN_BASE_ADDRESS = 0xe\n"},
        {"KQS", &CTelnira::vCM_WWANPowerOnOff, 2, 0x08, 0x0A, 1, 0,
         "vCM_WWANPowerOnOff: read value 0x8, from 0x9d\n"
         "vCM_WWANPowerOnOff: I'm going to set 0xa, to EC ADDR 0x9d\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.model) + " " + std::to_string(r.on));
        useModel(r.model);
        setEc(kWwan, r.before);
        CTelnira telnira;
        sleeper.clear();
        int result = -1;
        EXPECT_EQ(output([&] { result = (telnira.*r.op)(r.on); }), r.lines);
        EXPECT_EQ(result, r.result);
        EXPECT_EQ(telnira.getLastErrorNumber(), r.result ? 0 : kNoEffect);
        EXPECT_EQ(ec(kWwan), r.after);
        EXPECT_EQ(sleeper.count(500), r.settlingWaits);
    }
}

TEST_F(TelniraOnBoard, WwanStatusBits)
{
    struct Row {
        const char* model;
        std::uint8_t wwan;
        int power;
        int enabled;
        int slot;
        const char* lines;
    } rows[] = {
        {"KTA", 0x0A, 1, 0, 2, "vCM_WWANPowerStatus,readECDate =0xa\n"},
        {"KZS", 0x06, 1, 1, 1, "vCM_WWANPowerStatus,readECDate =0x6\n"},
        {"KQS", 0x0A, 1, 0, 2, ""},
        {"KQS", 0x00, 0, 0, 1, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.model) + " " + std::to_string(r.wwan));
        useModel(r.model);
        setEc(kWwan, r.wwan);
        CTelnira telnira;
        int power = 7;
        int enabled = 7;
        int slot = 7;
        EXPECT_EQ(output([&] {
                      EXPECT_EQ(telnira.vCM_WWANPowerStatus(&power), 1);
                      EXPECT_EQ(telnira.vCM_WWANModuleStatus(&enabled), 1);
                      EXPECT_EQ(telnira.vCM_WWANSIMSlotStatus(&slot), 1);
                  }),
                  r.lines);
        EXPECT_EQ(power, r.power);
        EXPECT_EQ(enabled, r.enabled);
        EXPECT_EQ(slot, r.slot);
    }
}

// The slot is range-tested before anything else; slot 0 is read but nothing is written.
TEST_F(TelniraOnBoard, SimSlotSwitch)
{
    struct Row {
        int slot;
        std::uint8_t before;
        int result;
        std::int32_t error;
        std::uint8_t after;
        int ecReads;
        int ecWrites;
    } rows[] = {
        {3, 0x0E, 0, kInvalid, 0x0E, 0, 0},     {-1, 0x0E, 0, kInvalid, 0x0E, 0, 0},
        {0, 0x0E, 0, kInvalid, 0x0E, 1, 0},     {1, 0x0E, 1, 0, 0x06, 2, 1},
        {2, 0x06, 1, 0, 0x0E, 2, 1},            {2, 0x0E, 1, 0, 0x0E, 2, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.slot);
        setEc(kWwan, r.before);
        CTelnira telnira;
        CountingPortIo ports(tarvik::processPortIo());
        tarvik::test::PortIoOverride portGuard(ports);
        sleeper.clear();
        EXPECT_EQ(telnira.vCM_WWANSIMSlotSwitch(r.slot), r.result);
        EXPECT_EQ(telnira.getLastErrorNumber(), r.error);
        EXPECT_EQ(ec(kWwan), r.after);
        EXPECT_EQ(ports.ecReads, r.ecReads);
        EXPECT_EQ(ports.ecWrites, r.ecWrites);
        EXPECT_EQ(sleeper.count(500), r.result ? 1u : 0u);
    }
}

// Without port access the operations that check fail with 0x80000002 before touching anything;
// the ones that do not check go ahead.
TEST_F(TelniraOnBoard, AnObjectWithoutPortAccess)
{
    struct Row {
        const char* name;
        std::function<int(CTelnira&, int*)> call;
    } checking[] = {
        {"WLAN power", [](CTelnira& t, int*) { return t.vCM_WLANPowerOnOff(1); }},
        {"Bluetooth power", [](CTelnira& t, int*) { return t.vCM_BluetoothPowerOnOff(0); }},
        {"WLAN presence", [](CTelnira& t, int* v) { return t.vCM_WLANModuleHWStatus(v); }},
        {"Bluetooth module", [](CTelnira& t, int*) { return t.vCM_BluetoothModuleSwitch(1); }},
        {"Bluetooth status", [](CTelnira& t, int* v) { return t.vCM_BluetoothModuleStatus(v); }},
        {"antenna", [](CTelnira& t, int*) { return t.vCM_WLANAntennaSwitch(1); }},
        {"antenna status", [](CTelnira& t, int* v) { return t.vCM_WLANAntennaStatus(v); }},
        {"WWAN power", [](CTelnira& t, int*) { return t.vCM_WWANPowerOnOff(1); }},
        {"WWAN power status", [](CTelnira& t, int* v) { return t.vCM_WWANPowerStatus(v); }},
        {"WWAN module", [](CTelnira& t, int*) { return t.vCM_WWANModuleSwitch(1); }},
        {"WWAN module status", [](CTelnira& t, int* v) { return t.vCM_WWANModuleStatus(v); }},
        {"WWAN presence", [](CTelnira& t, int* v) { return t.vCM_WWANModuleHWStatus(v); }},
        {"SIM slot", [](CTelnira& t, int*) { return t.vCM_WWANSIMSlotSwitch(1); }},
        {"SIM slot status", [](CTelnira& t, int* v) { return t.vCM_WWANSIMSlotStatus(v); }},
    };
    ASSERT_TRUE(board->setFault("driver-refuse", "always"));
    for (const char* model : {"KTA", "KQS"}) {
        ASSERT_TRUE(board->setValue("BIOSVersion", std::string(model) + "1.00"));
        CTelnira telnira;
        CountingPortIo ports(tarvik::processPortIo());
        tarvik::test::PortIoOverride portGuard(ports);
        for (const Row& r : checking) {
            SCOPED_TRACE(std::string(model) + ": " + r.name);
            int value = 7;
            EXPECT_EQ(r.call(telnira, &value), 0);
            EXPECT_EQ(telnira.getLastErrorNumber(), kNotInitialised);
            EXPECT_EQ(value, 7);
        }
        EXPECT_EQ(ports.accesses, 0);
        EXPECT_EQ(telnira.vCM_WWANSIMSlotSwitch(3), 0);
        EXPECT_EQ(telnira.getLastErrorNumber(), kInvalid) << "the range test comes first";
    }

    // The WLAN module switch (but for KTR's) and status do not check: they go ahead and report
    // success, KQS through the EC byte, the other models through the WLAN service.
    const struct {
        const char* bios;
        const char* name;
        std::function<int(CTelnira&, int*)> call;
        bool portAccesses;
        int value; // -1: whatever the EC gave
        const char* lines;
    } unchecked[] = {
        {"KQS1.00", "WLAN module switch", [](CTelnira& t, int*) { return t.vCM_WLANModuleSwitch(1); }, true, 7, nullptr},
        {"KQS1.00", "WLAN module status", [](CTelnira& t, int* v) { return t.vCM_WLANModuleStatus(v); }, true, -1, ""},
        {"KTA1.00", "WLAN module switch", [](CTelnira& t, int*) { return t.vCM_WLANModuleSwitch(0); }, false, 7,
         "set state success!\n"},
        {"KTA1.00", "WLAN module status (the radio switched off above)",
         [](CTelnira& t, int* v) { return t.vCM_WLANModuleStatus(v); }, false, 0, nullptr},
    };
    for (const auto& r : unchecked) {
        SCOPED_TRACE(std::string(r.bios) + ": " + r.name);
        ASSERT_TRUE(board->setValue("BIOSVersion", r.bios));
        CTelnira telnira;
        CountingPortIo ports(tarvik::processPortIo());
        tarvik::test::PortIoOverride portGuard(ports);
        int value = 7;
        int result = -1;
        const std::string out = output([&] { result = r.call(telnira, &value); });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(telnira.getLastErrorNumber(), 0);
        EXPECT_EQ(ports.accesses > 0, r.portAccesses);
        if (r.value >= 0) {
            EXPECT_EQ(value, r.value);
        } else {
            EXPECT_TRUE(value == 0 || value == 1) << value;
        }
        if (r.lines) {
            EXPECT_EQ(out, r.lines);
        }
    }
    ASSERT_TRUE(wireless()->setWlanSoftwareRadio(0, true));

    ASSERT_TRUE(board->setValue("BIOSVersion", "KTR1.04"));
    CTelnira telnira;
    output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 0); });
    EXPECT_EQ(telnira.getLastErrorNumber(), kNotInitialised) << "the KTR path checks";

    // The power status does not check: it reads the WLAN radio, sets the code and takes the WLAN
    // state for the Bluetooth one.
    CTelnira other;
    int status = 7;
    output([&] { EXPECT_EQ(other.vCM_WLANPowerStatus(&status), 1); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(other.getLastErrorNumber(), kNotInitialised);
}

TEST_F(TelniraOnBoard, SimReadinessFromTheBoardsModem)
{
    const char* lines[] = {
        "The mobile broadband device stack is off.\n",
        "The card and stack is powered up and ready to be used for mobile broadband operations.\n",
        "The SIM is not inserted.\n",
        "The SIM is invalid (PIN Unblock Key retrials have exceeded the limit).\n",
        "General device failure.\n",
        "The subscription is not activated.\n",
        "The device is locked by a PIN or password which is preventing the device from initializing and "
        "registering onto the network.\n",
        "The device is blocked by a PIN or password which is preventing the device from initializing and "
        "registering onto the network.\n",
    };
    CTelnira telnira;
    auto w = wireless();
    for (int ready = 0; ready <= 7; ++ready) {
        SCOPED_TRACE(ready);
        ASSERT_TRUE(w->setSimReadyState(1, ready));
        int result = -1;
        EXPECT_EQ(output([&] { result = telnira.vCM_WWANSIMCardIsInserted(); }), lines[ready]);
        EXPECT_EQ(result, ready == 1 ? 1 : 0);
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 0) << "the COM initialisation is given back";

    ASSERT_TRUE(w->setSimReadyState(1, 1));
    setEc(kWwan, 0x0E); // SIM slot 2, empty on a new board
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), 0); }), lines[2]);
    setEc(kWwan, 0x00); // module without power
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), 0); }), "No 3G module.\n");
}

// CWwanControl on the board's own mobile-broadband service: the radio request returns at once and
// the service completes it later on a thread of its own, where the sink hears of it.
TEST_F(TelniraOnBoard, RadioRoundTripOnTheBoardsModem)
{
    const wchar_t* modem = L"{7D5C2B90-4E1F-4A3C-8B6D-000000000000}";
    auto w = wireless();
    CWwanControl control;
    // The service carries out its requests in order on one thread: once a request made after the
    // control's has completed, the control's completion (and the sink's call) has run too.
    auto completionsDone = [&](bool on) {
        std::promise<std::thread::id> marker;
        auto done = marker.get_future();
        ASSERT_TRUE(tarvik::processMobileBroadband().requestSoftwareRadio(
            modem, on, [&](std::uint32_t, std::int32_t, bool) { marker.set_value(std::this_thread::get_id()); }));
        ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
        EXPECT_NE(done.get(), std::this_thread::get_id()) << "completions come on the service's thread";
    };
    for (const int on : {0, 1}) {
        SCOPED_TRACE(on);
        const std::uint32_t completed = w->requestsCompleted();
        testing::internal::CaptureStdout();
        EXPECT_EQ(control.SetDefaultRadioState(on), 1);
        completionsDone(on != 0);
        const std::string out = testing::internal::GetCapturedStdout();

        const std::string asked = "\t SetSoftwareRadioState call successful requestID = ";
        const std::size_t at = out.find(asked);
        ASSERT_NE(at, std::string::npos) << out;
        const std::string requestId = out.substr(at + asked.size(), out.find('\n', at) - at - asked.size());
        EXPECT_NE(out.find("*****Received OnRadioStateChange Event\n"), std::string::npos) << out;
        EXPECT_NE(out.find("***Received OnSetSoftwareRadioStateComplete Event for requestID = " + requestId + "\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(w->requestsCompleted(), completed + 2);
        EXPECT_EQ(w->mbnInterfaces().at(0).softwareRadioOn, on != 0);
        EXPECT_EQ(output([&] { EXPECT_EQ(control.GetDefaultRadioState(), on ? MBN_RADIO_ON : MBN_RADIO_OFF); })
                      .rfind(on ? "\t SoftwareRadioState \tOn\n" : "\t SoftwareRadioState \tOff\n", 0),
                  0u);
    }
}

// Telnira compiles the access layer in: its objects count in its own use count, not Idovan's.
TEST_F(TelniraOnBoard, TelniraHasItsOwnPortAccessCount)
{
    auto starts = [&] { return board->memory().locked([](BoardState& s) { return s.driverStarts; }); };
    const std::uint32_t before = starts();
    CIdovan idovan;
    EXPECT_EQ(starts(), before + 1);
    {
        CTelnira first;
        EXPECT_EQ(starts(), before + 2) << "Telnira's first unit starts the driver through its own count";
        CTelnira second;
        EXPECT_EQ(starts(), before + 2);
    }
    CTelnira again;
    EXPECT_EQ(starts(), before + 3) << "back at 0, the next object starts the driver again";
}

TEST_F(TelniraOnBoard, InitializeAgainTakesNoSecondUnit)
{
    auto starts = [&] { return board->memory().locked([](BoardState& s) { return s.driverStarts; }); };
    {
        CTelnira telnira;
        EXPECT_TRUE(telnira.Initialize());
        EXPECT_TRUE(telnira.Initialize());
    }
    // Had a repeated Initialize taken a unit the destructor never gives back, Telnira's count would
    // not be back at 0 and this object would find the driver still started.
    const std::uint32_t before = starts();
    CTelnira again;
    EXPECT_EQ(starts(), before + 1);
}

TEST_F(TelniraOnBoard, NullOutValuesAreRefusedWithoutTouchingTheBoard)
{
    const std::pair<const char*, Status> ops[] = {
        {"vCM_WLANPowerStatus", &CTelnira::vCM_WLANPowerStatus},
        {"vCM_BluetoothPowerStatus", &CTelnira::vCM_BluetoothPowerStatus},
        {"vCM_WLANModuleStatus", &CTelnira::vCM_WLANModuleStatus},
        {"vCM_WLANModuleHWStatus", &CTelnira::vCM_WLANModuleHWStatus},
        {"vCM_BluetoothModuleStatus", &CTelnira::vCM_BluetoothModuleStatus},
        {"vCM_WLANAntennaStatus", &CTelnira::vCM_WLANAntennaStatus},
        {"vCM_WWANPowerStatus", &CTelnira::vCM_WWANPowerStatus},
        {"vCM_WWANModuleStatus", &CTelnira::vCM_WWANModuleStatus},
        {"vCM_WWANModuleHWStatus", &CTelnira::vCM_WWANModuleHWStatus},
        {"vCM_WWANSIMSlotStatus", &CTelnira::vCM_WWANSIMSlotStatus},
    };
    CTelnira telnira;
    CountingPortIo ports(tarvik::processPortIo());
    tarvik::test::PortIoOverride portGuard(ports);
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        EXPECT_EQ(output([&] { EXPECT_EQ((telnira.*op)(nullptr), 0); }), "");
        EXPECT_EQ(telnira.getLastErrorNumber(), kInvalid);
    }
    EXPECT_EQ(ports.accesses, 0);
}
