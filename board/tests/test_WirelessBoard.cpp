// The board's wireless interfaces and how the EC's WWAN and WLAN bits shape them.
#include "Board.h"
#include "EcSimulator.h"
#include "TestSupport.h"
#include "WirelessBoard.h"

#include <gtest/gtest.h>

using tarvik::board::Board;
using tarvik::board::BoardState;
using tarvik::board::WirelessBoard;
namespace ec = tarvik::board::ec;

namespace {

// The EC write handshake as the access layer drives it.
void hostWriteEcRam(BoardState& s, std::uint8_t address, std::uint8_t value)
{
    tarvik::board::ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_WRITE);
    tarvik::board::ecHostWrite(s, ec::EC_DATA_PORT, address);
    tarvik::board::ecHostWrite(s, ec::EC_DATA_PORT, value);
}

void hostCommand(BoardState& s, std::uint8_t code)
{
    tarvik::board::ecHostWrite(s, ec::EC_COMMAND_PORT, ec::EC_HOST_COMMAND);
    tarvik::board::ecHostWrite(s, ec::EC_DATA_PORT, code);
}

class WirelessOnBoard : public testing::Test {
protected:
    void make(const std::string& model)
    {
        auto made = Board::create(dir.path(), model);
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        auto opened = WirelessBoard::open(*board);
        ASSERT_TRUE(opened) << opened.error();
        wireless = std::move(*opened);
    }
    void ecWrite(std::uint8_t address, std::uint8_t value)
    {
        board->memory().locked([&](BoardState& s) { hostWriteEcRam(s, address, value); });
    }
    void command(std::uint8_t code)
    {
        board->memory().locked([&](BoardState& s) { hostCommand(s, code); });
    }
    std::uint8_t ecByte(std::uint8_t address)
    {
        return board->memory().locked([&](BoardState& s) { return s.ec[address]; });
    }

    tarvik::test::TempDir dir;
    std::unique_ptr<Board> board;
    std::unique_ptr<WirelessBoard> wireless;
};

} // namespace

// Enable is the module's RF line: it needs the module's power, and taking the power away drops it.
TEST_F(WirelessOnBoard, WwanEnableHoldsOnlyWithPower)
{
    make("KTA");
    struct Row {
        std::uint8_t written;
        std::uint8_t kept;
    } rows[] = {{0x06, 0x06}, {0x04, 0x00}, {0x0C, 0x08}, {0x0E, 0x0E}, {0x08, 0x08}, {0x02, 0x02}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.written);
        ecWrite(ec::EC_WWAN_BASE_ADDRESS, r.written);
        EXPECT_EQ(ecByte(ec::EC_WWAN_BASE_ADDRESS), r.kept);
    }
}

TEST_F(WirelessOnBoard, BuiltInModemFollowsPresencePowerEnableAndSimSlot)
{
    make("KTA");
    auto only = [&] {
        const auto list = wireless->mbnInterfaces();
        EXPECT_LE(list.size(), 1u);
        return list.empty() ? std::optional<WirelessBoard::Mbn>() : list.front();
    };
    ASSERT_TRUE(only());
    EXPECT_EQ(only()->readyState, 1) << "factory: SIM slot 1 holds a ready SIM";
    EXPECT_TRUE(only()->hardwareRadioOn);

    ecWrite(ec::EC_WWAN_BASE_ADDRESS, 0x0A); // powered, disabled, SIM slot 2
    ASSERT_TRUE(only());
    EXPECT_FALSE(only()->hardwareRadioOn) << "enable bit clear: RF held off";
    EXPECT_EQ(only()->readyState, 2) << "factory: SIM slot 2 is empty";
    ASSERT_TRUE(wireless->setSimReadyState(2, 6));
    EXPECT_EQ(only()->readyState, 6);

    ecWrite(ec::EC_WWAN_BASE_ADDRESS, 0x00);
    EXPECT_FALSE(only()) << "an unpowered modem is not listed";
    ecWrite(ec::EC_WWAN_BASE_ADDRESS, 0x06);
    ASSERT_TRUE(board->setValue("WWANFitted", "0"));
    EXPECT_FALSE(only()) << "a modem that is not fitted is not listed";
}

TEST_F(WirelessOnBoard, BuiltInWlanRadioIsTheModuleBitTheEcSwitches)
{
    make("KTR");
    ASSERT_EQ(wireless->wlanInterfaces().size(), 1u);
    EXPECT_TRUE(wireless->wlanInterfaces()[0].softwareRadioOn);

    command(ec::EC_CMD_WLAN_OFF);
    EXPECT_FALSE(wireless->wlanInterfaces()[0].softwareRadioOn);
    ASSERT_TRUE(wireless->setWlanSoftwareRadio(0, true));
    EXPECT_EQ(board->memory().locked([](BoardState& s) { return s.cmos[ec::CMOS_WLAN_STATUS]; }) & 0x80, 0x80)
        << "the WLAN service switches the same bit";

    command(ec::EC_CMD_WLANBT_POWER_OFF);
    EXPECT_TRUE(wireless->wlanInterfaces().empty()) << "an unpowered module is not listed";
    EXPECT_FALSE(wireless->setWlanSoftwareRadio(0, true));
    command(ec::EC_CMD_WLANBT_POWER_ON);
    ASSERT_EQ(wireless->wlanInterfaces().size(), 1u);
    EXPECT_TRUE(wireless->wlanInterfaces()[0].softwareRadioOn) << "power brings the module back as it was";
}

TEST_F(WirelessOnBoard, KqsWlanRadioIsItsEcControlBit)
{
    make("KQS");
    ASSERT_EQ(wireless->wlanInterfaces().size(), 1u);
    ASSERT_TRUE(wireless->setWlanSoftwareRadio(0, false));
    EXPECT_EQ(ecByte(ec::EC_WLANBT_CONTROL), 0x05);
    ecWrite(ec::EC_WLANBT_CONTROL, 0x06); // combined power off
    EXPECT_TRUE(wireless->wlanInterfaces().empty());
}

TEST_F(WirelessOnBoard, FurtherAdaptersComeFromTheProfileCountAndKeepTheirOwnState)
{
    make("KTA");
    ASSERT_TRUE(board->setValue("WLANInterfaces", "3"));
    ASSERT_TRUE(board->setValue("MBNInterfaces", "2"));
    ASSERT_TRUE(wireless->setWlanSoftwareRadio(2, false));
    ASSERT_TRUE(wireless->setWlanHardwareRadio(1, false));
    ASSERT_TRUE(wireless->setMbnReadyState(1, 5));

    const auto wlan = wireless->wlanInterfaces();
    ASSERT_EQ(wlan.size(), 3u);
    EXPECT_TRUE(wlan[1].softwareRadioOn);
    EXPECT_FALSE(wlan[1].hardwareRadioOn);
    EXPECT_FALSE(wlan[2].softwareRadioOn);
    EXPECT_NE(std::vector<std::uint8_t>(wlan[1].guid, wlan[1].guid + 16),
              std::vector<std::uint8_t>(wlan[2].guid, wlan[2].guid + 16));
    const auto mbn = wireless->mbnInterfaces();
    ASSERT_EQ(mbn.size(), 2u);
    EXPECT_EQ(mbn[1].readyState, 5);
    EXPECT_NE(mbn[0].id, mbn[1].id);

    EXPECT_FALSE(wireless->setWlanSoftwareRadio(3, true)) << "slot 3 is not listed";
    EXPECT_FALSE(wireless->setMbnReadyState(1, 8));
    EXPECT_FALSE(board->setValue("WLANInterfaces", "5"));

    ASSERT_TRUE(board->setValue("WLANInterfaces", "0"));
    EXPECT_TRUE(wireless->wlanInterfaces().empty()) << "no WLAN driver: nothing listed, module or not";
}

TEST_F(WirelessOnBoard, RecreatingTheBoardResetsItsWirelessState)
{
    make("KTA");
    ASSERT_TRUE(wireless->setMbnSoftwareRadio(0, false));
    ASSERT_TRUE(wireless->setSimReadyState(1, 3));
    make("KTA");
    ASSERT_EQ(wireless->mbnInterfaces().size(), 1u);
    EXPECT_TRUE(wireless->mbnInterfaces()[0].softwareRadioOn);
    EXPECT_EQ(wireless->mbnInterfaces()[0].readyState, 1);
}

TEST_F(WirelessOnBoard, AMissingStateFileIsMadeAgainButADamagedOneIsReported)
{
    make("KTA");
    wireless.reset();
    std::remove(dir.file("wireless.mem").c_str());
    auto reopened = WirelessBoard::open(*board);
    ASSERT_TRUE(reopened) << reopened.error();
    EXPECT_EQ((*reopened)->mbnInterfaces().size(), 1u);

    reopened->reset();
    tarvik::test::writeFile(dir.file("wireless.mem"), "garbage");
    auto damaged = WirelessBoard::open(*board);
    ASSERT_FALSE(damaged);
    EXPECT_NE(damaged.error().find("wireless.mem"), std::string::npos) << damaged.error();
}
