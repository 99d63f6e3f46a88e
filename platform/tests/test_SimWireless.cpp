// The WLAN and mobile-broadband services of the virtual board, through the process's seams.
#include "Board.h"
#include "EcSimulator.h"
#include "MobileBroadband.h"
#include "TestSupport.h"
#include "WirelessBoard.h"
#include "WlanService.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace std::chrono_literals;
using tarvik::board::Board;
using tarvik::board::BoardState;

namespace {

class SimWireless : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(tarvik::test::testBoardDir(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
    }
    std::unique_ptr<Board> board;
};

} // namespace

TEST_F(SimWireless, WlanServiceListsAndSwitchesTheBoardsModule)
{
    tarvik::WlanService& wlan = tarvik::processWlanService();
    ASSERT_EQ(wlan.open(), tarvik::kWlanSuccess);
    std::vector<tarvik::WlanInterface> list;
    ASSERT_EQ(wlan.enumInterfaces(list), tarvik::kWlanSuccess);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].description, L"Intel(R) Wi-Fi 6 AX201 160MHz");
    EXPECT_EQ(list[0].state, tarvik::kWlanStateConnected);

    ASSERT_EQ(wlan.setSoftwareRadioState(list[0].guid, 0, tarvik::kWlanRadioOff), tarvik::kWlanSuccess);
    std::vector<tarvik::WlanPhyRadio> phys;
    ASSERT_EQ(wlan.queryRadioState(list[0].guid, phys), tarvik::kWlanSuccess);
    EXPECT_EQ(phys.at(0).software, tarvik::kWlanRadioOff);
    EXPECT_EQ(phys.at(0).hardware, tarvik::kWlanRadioOn);
    EXPECT_EQ(board->memory().locked([](BoardState& s) { return s.cmos[0x60]; }) & 0x80, 0);

    EXPECT_EQ(wlan.setSoftwareRadioState(list[0].guid, 1, tarvik::kWlanRadioOn), tarvik::kWlanInvalidParameter);
    tarvik::InterfaceGuid other = list[0].guid;
    other[0] ^= 0xFF;
    EXPECT_EQ(wlan.queryRadioState(other, phys), tarvik::kWlanNotFound);
}

TEST_F(SimWireless, MobileBroadbandCarriesOutRequestsOnItsOwnThread)
{
    tarvik::MobileBroadband& mbn = tarvik::processMobileBroadband();
    ASSERT_TRUE(mbn.reachable());
    const auto ids = mbn.interfaceIds();
    ASSERT_TRUE(ids);
    ASSERT_EQ(ids->size(), 1u);
    const std::wstring id = ids->front();
    EXPECT_EQ(mbn.readyState(id), 1);
    EXPECT_EQ(mbn.softwareRadio(id), true);

    struct Row {
        bool on;
        bool changes;
    };
    for (const Row& row : {Row{false, true}, Row{false, false}}) {
        std::promise<std::tuple<std::int32_t, bool, std::thread::id>> done;
        const auto request = mbn.requestSoftwareRadio(id, row.on, [&](std::uint32_t, std::int32_t status, bool changed) {
            done.set_value({status, changed, std::this_thread::get_id()});
        });
        ASSERT_TRUE(request);
        auto result = done.get_future();
        ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
        const auto [status, changed, thread] = result.get();
        EXPECT_EQ(status, tarvik::kMbnStatusOk);
        EXPECT_NE(thread, std::this_thread::get_id());
        EXPECT_EQ(mbn.softwareRadio(id), false);
        EXPECT_EQ(changed, row.changes) << "only the first request changes the radio";
    }

    // The modem loses its power: it is no longer listed and takes no requests.
    board->memory().locked([](BoardState& s) { s.ec[0x9D] = 0x00; });
    EXPECT_EQ(mbn.interfaceIds(), std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{}));
    EXPECT_FALSE(mbn.readyState(id));
    EXPECT_FALSE(mbn.requestSoftwareRadio(id, true, [](std::uint32_t, std::int32_t, bool) { ADD_FAILURE(); }));
}
