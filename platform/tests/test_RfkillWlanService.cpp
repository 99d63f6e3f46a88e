// The WLAN service over /dev/rfkill, fed a recorded event stream in a plain file and a fake sysfs.
#include "RfkillEvent.h"
#include "RfkillWlanService.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using tarvik::RfkillEvent;
using tarvik::RfkillWlanService;
using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

RfkillEvent event(std::uint32_t idx, std::uint8_t type, std::uint8_t op, bool soft = false, bool hard = false)
{
    RfkillEvent e;
    e.idx = idx;
    e.type = type;
    e.op = op;
    e.soft = soft;
    e.hard = hard;
    return e;
}

std::string records(const std::vector<RfkillEvent>& events)
{
    std::string bytes;
    for (const RfkillEvent& e : events) {
        const auto r = e.encode();
        bytes.append(reinterpret_cast<const char*>(r.data()), r.size());
    }
    return bytes;
}

constexpr std::uint8_t kWlan = RfkillEvent::kTypeWlan;
constexpr std::uint8_t kBluetooth = 2;
constexpr std::uint8_t kAdd = RfkillEvent::kOpAdd;

class RfkillFixture : public testing::Test {
protected:
    void SetUp() override
    {
        // What the kernel queues for a new reader, plus a later change and a removal.
        writeFile(device(), records({event(3, kWlan, kAdd), event(1, kBluetooth, kAdd), event(0, kWlan, kAdd, true),
                                     event(4, kWlan, kAdd, false, true), event(6, kWlan, kAdd),
                                     event(6, kWlan, RfkillEvent::kOpDel)}));
        writeFile(dir.file("sys/class/rfkill/rfkill0/name"), "phy0\n");
        writeFile(dir.file("sys/class/rfkill/rfkill3/name"), "phy1\n");
        writeFile(dir.file("sys/class/rfkill/rfkill3/device/device/net/wlp2s0/operstate"), "up\n");
        writeFile(dir.file("sys/class/rfkill/rfkill4/device/device/net/wlan1/operstate"), "down\n");
    }
    std::string device() const { return dir.file("rfkill"); }
    RfkillWlanService service() { return RfkillWlanService(device(), dir.file("sys")); }

    TempDir dir;
};

} // namespace

TEST_F(RfkillFixture, ListsTheWlanSwitchesInIndexOrderWithNameStateAndRadios)
{
    RfkillWlanService wlan = service();
    EXPECT_EQ(wlan.open(), tarvik::kWlanSuccess);
    std::vector<tarvik::WlanInterface> list;
    ASSERT_EQ(wlan.enumInterfaces(list), tarvik::kWlanSuccess);

    struct Expected {
        std::uint32_t idx;
        const wchar_t* description;
        std::int32_t state;
        std::uint32_t software;
        std::uint32_t hardware;
    } expected[] = {
        {0, L"phy0", tarvik::kWlanStateNotReady, tarvik::kWlanRadioOff, tarvik::kWlanRadioOn},
        {3, L"phy1", tarvik::kWlanStateConnected, tarvik::kWlanRadioOn, tarvik::kWlanRadioOn},
        {4, L"rfkill4", tarvik::kWlanStateNotReady, tarvik::kWlanRadioOn, tarvik::kWlanRadioOff},
    };
    ASSERT_EQ(list.size(), std::size(expected)) << "Bluetooth and removed switches are not WLAN interfaces";
    for (std::size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].guid, RfkillWlanService::guidForSwitch(expected[i].idx));
        EXPECT_EQ(list[i].description, expected[i].description);
        EXPECT_EQ(list[i].state, expected[i].state);
        std::vector<tarvik::WlanPhyRadio> phys;
        ASSERT_EQ(wlan.queryRadioState(list[i].guid, phys), tarvik::kWlanSuccess);
        ASSERT_EQ(phys.size(), 1u);
        EXPECT_EQ(phys[0].phyIndex, 0u);
        EXPECT_EQ(phys[0].software, expected[i].software);
        EXPECT_EQ(phys[0].hardware, expected[i].hardware);
    }
}

TEST_F(RfkillFixture, SwitchingWritesOneChangeRecordThatKeepsTheHardBlock)
{
    RfkillWlanService wlan = service();
    const auto before = tarvik::test::readFile(device());
    ASSERT_EQ(wlan.setSoftwareRadioState(RfkillWlanService::guidForSwitch(4), 0, tarvik::kWlanRadioOff),
              tarvik::kWlanSuccess);

    const auto after = tarvik::test::readFile(device());
    ASSERT_EQ(after.size(), before.size() + RfkillEvent::kSize);
    const auto written = RfkillEvent::decode(reinterpret_cast<const std::uint8_t*>(after.data() + before.size()),
                                             RfkillEvent::kSize);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->idx, 4u);
    EXPECT_EQ(written->type, kWlan);
    EXPECT_EQ(written->op, RfkillEvent::kOpChange);
    EXPECT_TRUE(written->soft);
    EXPECT_TRUE(written->hard);

    std::vector<tarvik::WlanPhyRadio> phys;
    ASSERT_EQ(wlan.queryRadioState(RfkillWlanService::guidForSwitch(4), phys), tarvik::kWlanSuccess);
    EXPECT_EQ(phys[0].software, tarvik::kWlanRadioOff);
}

TEST_F(RfkillFixture, RefusesWhatRfkillCannotDo)
{
    RfkillWlanService wlan = service();
    const auto present = RfkillWlanService::guidForSwitch(3);
    EXPECT_EQ(wlan.setSoftwareRadioState(present, 1, tarvik::kWlanRadioOn), tarvik::kWlanInvalidParameter);
    EXPECT_EQ(wlan.setSoftwareRadioState(present, 0, tarvik::kWlanRadioUnknown), tarvik::kWlanInvalidParameter);
    EXPECT_EQ(wlan.setSoftwareRadioState(RfkillWlanService::guidForSwitch(1), 0, tarvik::kWlanRadioOn),
              tarvik::kWlanNotFound)
        << "switch 1 is Bluetooth";
    std::vector<tarvik::WlanPhyRadio> phys;
    EXPECT_EQ(wlan.queryRadioState(RfkillWlanService::guidForSwitch(6), phys), tarvik::kWlanNotFound);
}

TEST_F(RfkillFixture, AMissingDeviceIsAnInactiveServiceReportedOnce)
{
    RfkillWlanService wlan(dir.file("no-rfkill"), dir.file("sys"));
    testing::internal::CaptureStderr();
    std::vector<tarvik::WlanInterface> list;
    std::vector<tarvik::WlanPhyRadio> phys;
    EXPECT_EQ(wlan.open(), tarvik::kWlanServiceNotActive);
    EXPECT_EQ(wlan.enumInterfaces(list), tarvik::kWlanServiceNotActive);
    EXPECT_EQ(wlan.queryRadioState(RfkillWlanService::guidForSwitch(0), phys), tarvik::kWlanServiceNotActive);
    EXPECT_EQ(wlan.setSoftwareRadioState(RfkillWlanService::guidForSwitch(0), 0, tarvik::kWlanRadioOn),
              tarvik::kWlanServiceNotActive);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("no-rfkill"), std::string::npos) << err;
}

TEST_F(RfkillFixture, AReadOnlyDeviceListsButCannotSwitch)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes to any file";
    chmod(device().c_str(), 0444);
    RfkillWlanService wlan = service();
    std::vector<tarvik::WlanInterface> list;
    EXPECT_EQ(wlan.enumInterfaces(list), tarvik::kWlanSuccess);
    testing::internal::CaptureStderr();
    EXPECT_EQ(wlan.setSoftwareRadioState(RfkillWlanService::guidForSwitch(3), 0, tarvik::kWlanRadioOff),
              tarvik::kWlanAccessDenied);
    testing::internal::GetCapturedStderr();
}

TEST(RfkillEvents, ACutRecordEndsTheStreamAndChangeAllSwitchesEveryWlanSwitch)
{
    std::vector<tarvik::RfkillSwitch> switches;
    for (const RfkillEvent& e : {event(2, kWlan, kAdd), event(0, kBluetooth, kAdd), event(1, kWlan, kAdd),
                                 event(0, kWlan, RfkillEvent::kOpChangeAll, true)})
        tarvik::applyRfkillEvent(switches, e);
    ASSERT_EQ(switches.size(), 3u);
    EXPECT_FALSE(switches[0].soft) << "Bluetooth keeps its state";
    EXPECT_TRUE(switches[1].soft);
    EXPECT_TRUE(switches[2].soft);

    const auto bytes = event(7, kWlan, kAdd).encode();
    EXPECT_FALSE(RfkillEvent::decode(bytes.data(), RfkillEvent::kSize - 1));
    const auto whole = RfkillEvent::decode(bytes.data(), bytes.size());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->idx, 7u);
}
