// The WLAN radio through the wireless-LAN service (the models other than KQS and KTR): the report
// written while reading it, which interface decides, and what happens when the service fails.
#include "FakeWlanService.h"
#include "Telnira.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using WlanOverride = tarvik::test::SeamOverride<tarvik::WlanService, tarvik::overrideProcessWlanService>;

class Wifi : public testing::Test {
protected:
    template <class Fn>
    std::string output(Fn&& fn)
    {
        testing::internal::CaptureStdout();
        fn();
        return testing::internal::GetCapturedStdout();
    }

    tarvik::test::RecordingSleeper sleeper;
    tarvik::test::SleeperOverride sleeperGuard{sleeper};
    FakeWlanService wlan;
    WlanOverride wlanGuard{wlan};
    CTelnira telnira; // the test board is a KTA
};

} // namespace

TEST_F(Wifi, ReportsEveryInterfaceAndTheLastOneThatKnowsDecides)
{
    wlan.add(0x01, L"Intel(R) Wi-Fi 6 AX201 160MHz", 1, tarvik::kWlanRadioOn, tarvik::kWlanRadioOn);
    wlan.add(0x02, L"Realtek 8821CU Wireless LAN 802.11ac USB NIC", 4, tarvik::kWlanRadioOff, tarvik::kWlanRadioOff);
    int state = 7;
    int result = -1;
    const std::string out = output([&] { result = telnira.vCM_WLANModuleStatus(&state); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(state, 0) << "the second interface is off";
    EXPECT_EQ(out, "Num Entries: 2\n"
                   "Current Index: 0\n"
                   "  Interface Index[0]:\t 0\n"
                   "  InterfaceGUID[0]:\t {76543210-BA98-FEDC-0123-456789ABCD01}\n"
                   "  Interface Description[0]: Intel(R) Wi-Fi 6 AX201 160MHz\n"
                   "  Interface State[0]:\t Connected\n"
                   "  WLAN_RADIO_STATE for this interface\n"
                   "  Number of valid PHYs:\t 1\n"
                   "  Radio state:\n"
                   "      Index of PHYs type[0]:\t 0\n"
                   "      Software radio state[0]:\t On\n"
                   "      Hardware radio state[0]:\t On\n"
                   "\n"
                   "  Interface Index[1]:\t 1\n"
                   "  InterfaceGUID[1]:\t {76543210-BA98-FEDC-0123-456789ABCD02}\n"
                   "  Interface Description[1]: Realtek 8821CU Wireless LAN 802.11ac USB NIC\n"
                   "  Interface State[1]:\t Not connected\n"
                   "  WLAN_RADIO_STATE for this interface\n"
                   "  Number of valid PHYs:\t 1\n"
                   "  Radio state:\n"
                   "      Index of PHYs type[0]:\t 0\n"
                   "      Software radio state[0]:\t Off\n"
                   "      Hardware radio state[0]:\t Off\n"
                   "\n");
}

TEST_F(Wifi, StatesWithoutAName)
{
    struct Row {
        std::int32_t state;
        std::uint32_t software;
        std::uint32_t hardware;
        const char* stateText;
        const char* softwareText;
        const char* hardwareText;
        int result;
    } rows[] = {
        {2, tarvik::kWlanRadioUnknown, 5, "First node in a ad hoc network\n", "Unknown\n", "Other Unknown state 5\n", 7},
        {9, 3, tarvik::kWlanRadioOn, "Unknown state 9\n", "Other Unknown state 3\n", "On\n", 7},
        {7, tarvik::kWlanRadioOn, 0, "In process of authenticating\n", "On\n", "Unknown\n", 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.state);
        wlan.interfaces.clear();
        wlan.add(0x0A, L"wlan", r.state, r.software, r.hardware);
        int state = 7;
        const std::string out = output([&] { telnira.vCM_WLANModuleStatus(&state); });
        EXPECT_NE(out.find(std::string("Interface State[0]:\t ") + r.stateText), std::string::npos) << out;
        EXPECT_NE(out.find(std::string("Software radio state[0]:\t ") + r.softwareText), std::string::npos) << out;
        EXPECT_NE(out.find(std::string("Hardware radio state[0]:\t ") + r.hardwareText), std::string::npos) << out;
        EXPECT_EQ(state, r.result) << "a radio neither on nor off leaves the value as it was";
    }
}

TEST_F(Wifi, FailuresOfTheService)
{
    wlan.add(0x01, L"first", 1, tarvik::kWlanRadioOn, tarvik::kWlanRadioOn);
    wlan.add(0x02, L"second", 1, tarvik::kWlanRadioOff, tarvik::kWlanRadioOn);
    wlan.interfaces[1].queryError = tarvik::kWlanNotFound;
    int state = 7;
    std::string out = output([&] { EXPECT_EQ(telnira.vCM_WLANModuleStatus(&state), 1); });
    EXPECT_EQ(state, 1) << "the interface that could not be asked decides nothing";
    EXPECT_NE(out.find("  Interface State[1]:\t Connected\nWlanQueryInterface failed with error: 1168\n"),
              std::string::npos)
        << out;

    wlan.enumError = tarvik::kWlanAccessDenied;
    state = 7;
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleStatus(&state), 0); }),
              "WlanEnumInterfaces failed with error: 5\n");
    EXPECT_EQ(state, 7);
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 1); }),
              "WlanEnumInterfaces failed with error: 5\n");

    wlan.openError = tarvik::kWlanServiceNotActive;
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleStatus(&state), 0); }),
              "WlanOpenHandle failed with error: 1062\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(0), 1); }),
              "WlanOpenHandle failed with error: 1062\n");
    EXPECT_EQ(wlan.setCalls, 0);
}

TEST_F(Wifi, SwitchingSetsTheFirstInterfacesPhyZero)
{
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 1); }), "")
        << "no interface: nothing set, no result line";
    EXPECT_EQ(wlan.setCalls, 0);

    wlan.add(0x01, L"first", 1, tarvik::kWlanRadioOn, tarvik::kWlanRadioOn);
    wlan.add(0x02, L"second", 1, tarvik::kWlanRadioOn, tarvik::kWlanRadioOn);
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(0), 1); }), "set state success!\n");
    EXPECT_EQ(wlan.interfaces[0].phys[0].software, tarvik::kWlanRadioOff);
    EXPECT_EQ(wlan.interfaces[1].phys[0].software, tarvik::kWlanRadioOn);

    wlan.setError = tarvik::kWlanAccessDenied;
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WLANModuleSwitch(1), 1); }), "set state failed!err is 5\n")
        << "no read-back: the failure shows only in the line";
    EXPECT_EQ(sleeper.count(500), 0u);
}
