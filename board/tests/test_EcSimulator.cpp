// The simulated EC: its handshake and what it does for each command and write.
#include "EcSimulator.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace tarvik::board;

namespace {

BoardState freshState()
{
    BoardState s;
    std::memset(&s, 0, sizeof s);
    return s;
}

void command(BoardState& s, std::uint8_t code)
{
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_COMMAND);
    ecHostWrite(s, ec::EC_DATA_PORT, code);
}

void write(BoardState& s, std::uint8_t address, std::uint8_t value)
{
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_WRITE);
    ecHostWrite(s, ec::EC_DATA_PORT, address);
    ecHostWrite(s, ec::EC_DATA_PORT, value);
}

void setFault(BoardState& s, const char* name, const char* arg = "")
{
    std::strcpy(s.faults[0].name, name);
    std::strcpy(s.faults[0].arg, arg);
}

TEST(EcSimulator, HandshakeStatusFollowsEachStep)
{
    BoardState s = freshState();
    s.ec[0x70] = 0x52;
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x00);
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_READ);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x08);
    EXPECT_TRUE(ecTransactionOpen(s));
    ecHostWrite(s, ec::EC_DATA_PORT, 0x70);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x01);
    EXPECT_EQ(ecHostRead(s, ec::EC_DATA_PORT), 0x52);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x00);
    EXPECT_FALSE(ecTransactionOpen(s));

    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_WRITE);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x08);
    ecHostWrite(s, ec::EC_DATA_PORT, 0xBE);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x00);
    ecHostWrite(s, ec::EC_DATA_PORT, 0x05);
    EXPECT_EQ(s.ec[0xBE], 0x05);
    EXPECT_FALSE(ecTransactionOpen(s));
}

TEST(EcSimulator, NewCommandByteRestartsAnAbandonedHandshake)
{
    BoardState s = freshState();
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_WRITE);
    ecHostWrite(s, ec::EC_DATA_PORT, 0xBE); // value never comes
    s.ec[0x9D] = 0x06;
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_READ);
    ecHostWrite(s, ec::EC_DATA_PORT, 0x9D);
    EXPECT_EQ(ecHostRead(s, ec::EC_DATA_PORT), 0x06);
    EXPECT_EQ(s.ec[0xBE], 0x00) << "the abandoned write wrote nothing";
}

TEST(EcSimulator, DataWithoutHandshakeIsDropped)
{
    BoardState s = freshState();
    ecHostWrite(s, ec::EC_DATA_PORT, 0x9D);
    ecHostWrite(s, ec::EC_DATA_PORT, 0xFF);
    EXPECT_EQ(s.ec[0x9D], 0x00);
    EXPECT_FALSE(ecTransactionOpen(s));
}

struct CommandCase {
    std::uint8_t code;
    std::uint8_t index;
    std::uint8_t before;
    std::uint8_t after;
};

class EcCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(EcCommands, SetOrClearTheirCmosBit)
{
    const CommandCase& c = GetParam();
    BoardState s = freshState();
    s.cmos[c.index] = c.before;
    command(s, c.code);
    EXPECT_EQ(s.cmos[c.index], c.after);
    EXPECT_EQ(s.ecCommandsReceived, 1u);
    EXPECT_EQ(s.ecLastCommand, c.code);
}

INSTANTIATE_TEST_SUITE_P(Cases, EcCommands,
                         testing::Values(CommandCase{0x07, 0x65, 0x00, 0x08}, CommandCase{0x06, 0x65, 0x0F, 0x07},
                                         CommandCase{0x1D, 0x63, 0x00, 0x80}, CommandCase{0x1E, 0x63, 0x81, 0x01},
                                         CommandCase{0x22, 0x61, 0x00, 0x80}, CommandCase{0x23, 0x61, 0x80, 0x00},
                                         CommandCase{0x20, 0x60, 0x01, 0x81}, CommandCase{0x21, 0x60, 0x81, 0x01},
                                         // No WLAN module fitted: nothing to switch on.
                                         CommandCase{0x20, 0x60, 0x00, 0x00},
                                         // Unknown codes are received and ignored.
                                         CommandCase{0x55, 0x65, 0x08, 0x08}));

TEST(EcSimulator, CombinedPowerOffSwitchesBothModulesOffUntilPowerComesBack)
{
    BoardState s = freshState();
    s.cmos[0x60] = 0x81; // WLAN fitted and on
    s.cmos[0x61] = 0x00; // Bluetooth off
    command(s, 0x3E);
    EXPECT_EQ(s.cmos[0x60], 0x01);
    EXPECT_EQ(s.cmos[0x61], 0x00);
    command(s, 0x22);
    EXPECT_EQ(s.cmos[0x61], 0x00) << "an unpowered module cannot be switched on";
    command(s, 0x3D);
    EXPECT_EQ(s.cmos[0x60], 0x81) << "WLAN comes back as it was";
    EXPECT_EQ(s.cmos[0x61], 0x00);
    command(s, 0x3D); // already on: nothing changes
    EXPECT_EQ(s.cmos[0x60], 0x81);
}

TEST(EcSimulator, FirmwareOwnedBytesIgnoreHostWrites)
{
    BoardState s = freshState();
    for (std::uint8_t address : {0x70, 0xA3, 0xFE, 0xFF}) {
        s.ec[address] = 0x11;
        write(s, address, 0x99);
        EXPECT_EQ(s.ec[address], 0x11) << std::hex << int(address);
    }
    write(s, 0x9D, 0x0E);
    EXPECT_EQ(s.ec[0x9D], 0x0E);
}

TEST(EcSimulator, IgnoredCommandsChangeNothing)
{
    BoardState s = freshState();
    setFault(s, "ec-ignore-commands");
    command(s, 0x07);
    write(s, 0x9D, 0x0E);
    EXPECT_EQ(s.cmos[0x65], 0x00);
    EXPECT_EQ(s.ec[0x9D], 0x00);
    EXPECT_EQ(s.ecCommandsReceived, 1u) << "received, not acted on";
}

TEST(EcSimulator, StatusFaults)
{
    BoardState s = freshState();
    setFault(s, "ec-status-stuck", "28");
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_READ);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x28);

    s = freshState();
    setFault(s, "ec-obf-after-write");
    ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_WRITE);
    ecHostWrite(s, ec::EC_DATA_PORT, 0x9D);
    EXPECT_EQ(ecHostRead(s, ec::EC_COMMAND_PORT), 0x01);
    ecHostWrite(s, ec::EC_DATA_PORT, 0x02);
    EXPECT_EQ(s.ec[0x9D], 0x02);
}

TEST(EcSimulator, CmosReadsTheIndexLastWritten)
{
    BoardState s = freshState();
    s.cmos[0x63] = 0x80;
    ecHostWrite(s, ec::CMOS_INDEX_PORT, 0x63);
    EXPECT_EQ(ecHostRead(s, ec::CMOS_DATA_PORT), 0x80);
    EXPECT_EQ(ecHostRead(s, 0x80), 0xFF) << "nothing answers on other ports";
}

} // namespace
