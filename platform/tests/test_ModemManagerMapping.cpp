// ModemManager's modem states turned into mobile-broadband ready states and interface ids.
#include "ModemManagerMapping.h"

#include <gtest/gtest.h>

using M = tarvik::ModemManagerModem;

namespace {

struct ReadyRow {
    std::int32_t state;
    std::uint32_t failedReason;
    std::uint32_t lock;
    bool hasSim;
    int ready;
    bool radioOn;
};

class ReadyStates : public testing::TestWithParam<ReadyRow> {};

} // namespace

TEST_P(ReadyStates, FollowTheSimAndLockNotTheRadio)
{
    const ReadyRow& r = GetParam();
    M modem;
    modem.state = r.state;
    modem.failedReason = r.failedReason;
    modem.unlockRequired = r.lock;
    modem.hasSim = r.hasSim;
    EXPECT_EQ(tarvik::readyStateOf(modem), r.ready);
    EXPECT_EQ(tarvik::softwareRadioOf(modem), r.radioOn);
}

INSTANTIATE_TEST_SUITE_P(
    Modems, ReadyStates,
    testing::Values(ReadyRow{M::kStateFailed, M::kFailedSimMissing, 0, false, 2, false},
                    ReadyRow{M::kStateFailed, M::kFailedSimError, 0, true, 3, false},
                    ReadyRow{M::kStateFailed, M::kFailedEsimWithoutProfiles, 0, true, 5, false},
                    ReadyRow{M::kStateFailed, 1, 0, true, 4, false},
                    ReadyRow{M::kStateUnknown, 0, 0, true, 0, false},
                    ReadyRow{M::kStateInitializing, 0, 0, true, 0, false},
                    ReadyRow{M::kStateLocked, 0, 2, true, 6, false},  // SIM-PIN
                    ReadyRow{M::kStateLocked, 0, 6, true, 6, false},  // PH-SIM-PIN
                    ReadyRow{M::kStateLocked, 0, M::kLockSimPuk, true, 7, false},
                    ReadyRow{M::kStateLocked, 0, M::kLockSimPuk2, true, 7, false},
                    ReadyRow{M::kStateDisabled, 0, 1, true, 1, false},
                    ReadyRow{M::kStateDisabled, 0, 1, false, 2, false},
                    ReadyRow{M::kStateDisabling, 0, 1, true, 1, false},
                    ReadyRow{M::kStateEnabling, 0, 1, true, 1, true},
                    ReadyRow{M::kStateEnabled, 0, 1, true, 1, true},
                    ReadyRow{M::kStateConnected, 0, 1, true, 1, true},
                    ReadyRow{-7, 0, 0, true, 4, false}));

TEST(ModemManagerIds, AreGuidTextsMadeOfTheDeviceIdentifier)
{
    EXPECT_EQ(tarvik::interfaceIdOf("a6c5b3b8e3f94ac1d0a16f2c4f1c7b2e9d03a8f1"),
              std::optional<std::wstring>(L"{A6C5B3B8-E3F9-4AC1-D0A1-6F2C4F1C7B2E}"));
    EXPECT_EQ(tarvik::interfaceIdOf("A6C5B3B8E3F94AC1D0A16F2C4F1C7B2E"),
              std::optional<std::wstring>(L"{A6C5B3B8-E3F9-4AC1-D0A1-6F2C4F1C7B2E}"));
    EXPECT_FALSE(tarvik::interfaceIdOf("a6c5b3b8e3f94ac1"));
    EXPECT_FALSE(tarvik::interfaceIdOf("a6c5b3b8-e3f9-4ac1-d0a1-6f2c4f1c7b2e9d03"));
    EXPECT_FALSE(tarvik::interfaceIdOf(""));
}
