#include "CWinIOUtility.h"
#include "EcTransactions.h"
#include "SimulatedEcPorts.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using tarvik::hwaccess::EcTransactions;
using tarvik::hwaccess::PortAccessCount;
using tarvik::test::RecordingSleeper;
using tarvik::test::SimulatedEcPorts;
using Access = SimulatedEcPorts::Access;

TEST(EcTransactions, ReadWhenTheEcAnswersAtOnceTakesFiveWaits)
{
    SimulatedEcPorts ports;
    ports.state.ec[0x70] = 0x52;
    RecordingSleeper sleeper;

    EXPECT_EQ(EcTransactions(ports, sleeper).readEcByte(0x70), 0x52u);

    const std::vector<Access> expected = {
        {'W', 0x6C, 0x01}, {'R', 0x6C, 0x08}, {'W', 0x68, 0x70}, {'R', 0x6C, 0x01}, {'R', 0x68, 0x52}};
    EXPECT_EQ(ports.log, expected);
    EXPECT_EQ(sleeper.waits(), (std::vector<unsigned>{3, 3, 3, 3, 3}));
}

TEST(EcTransactions, WriteWhenTheEcAnswersAtOnceTakesFiveWaits)
{
    SimulatedEcPorts ports;
    RecordingSleeper sleeper;

    EcTransactions(ports, sleeper).writeEcByte(0x9D, 0x0E);

    const std::vector<Access> expected = {
        {'W', 0x6C, 0x02}, {'R', 0x6C, 0x08}, {'W', 0x68, 0x9D}, {'R', 0x6C, 0x00}, {'W', 0x68, 0x0E}};
    EXPECT_EQ(ports.log, expected);
    EXPECT_EQ(ports.state.ec[0x9D], 0x0E);
    EXPECT_EQ(sleeper.waits(), (std::vector<unsigned>{3, 3, 3, 3, 3}));
}

TEST(EcTransactions, CommandWaitsTwoMillisecondsThenTenAndSaysSo)
{
    SimulatedEcPorts ports;
    RecordingSleeper sleeper;

    testing::internal::CaptureStdout();
    EcTransactions(ports, sleeper).sendEcCommand(0x1D);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CWinIOUtility::SendECCommand:0x1d\n");

    const std::vector<Access> expected = {{'W', 0x6C, 0x03}, {'R', 0x6C, 0x08}, {'W', 0x68, 0x1D}};
    EXPECT_EQ(ports.log, expected);
    EXPECT_EQ(sleeper.waits(), (std::vector<unsigned>{2, 2, 10}));
    EXPECT_EQ(ports.state.cmos[0x63] & 0x80, 0x80) << "the EC acted on GPS on";
}

// A status that never matches (stuck, or with another bit set) makes each wait run its 100 reads;
// the transaction still goes on and writes its next byte.
struct StuckCase {
    const char* transaction;
    const char* stuckStatus;
    std::size_t statusReads;
    unsigned totalWaitMs;
};

class EcStuckStatus : public testing::TestWithParam<StuckCase> {};

TEST_P(EcStuckStatus, EveryWaitRunsToItsLimitAndTheTransactionGoesOn)
{
    const StuckCase& c = GetParam();
    SimulatedEcPorts ports;
    ports.setFault("ec-status-stuck", c.stuckStatus);
    RecordingSleeper sleeper;
    EcTransactions ec(ports, sleeper);

    testing::internal::CaptureStdout();
    const std::string t = c.transaction;
    if (t == "read")
        ec.readEcByte(0xA3);
    else if (t == "write")
        ec.writeEcByte(0x9D, 0x02);
    else
        ec.sendEcCommand(0x07);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(ports.statusReads(), c.statusReads);
    EXPECT_EQ(sleeper.totalMs(), c.totalWaitMs);
    // The byte after the first wait (address or command code) is written all the same.
    const auto firstData = std::find_if(ports.log.begin(), ports.log.end(), [](const Access& a) {
        return a.op == 'W' && a.port == 0x68;
    });
    ASSERT_NE(firstData, ports.log.end());
    EXPECT_EQ(firstData - ports.log.begin(), 101) << "command byte, 100 status reads, then the data byte";
}

INSTANTIATE_TEST_SUITE_P(Cases, EcStuckStatus,
                         testing::Values(StuckCase{"read", "00", 200, 609}, StuckCase{"read", "09", 200, 609},
                                         StuckCase{"read", "28", 200, 609}, StuckCase{"write", "00", 101, 312},
                                         StuckCase{"write", "09", 200, 609}, StuckCase{"command", "00", 100, 212},
                                         StuckCase{"command", "28", 100, 212}));

TEST(EcTransactions, WriteWithTheOutputBufferLeftFullStillWritesTheValue)
{
    SimulatedEcPorts ports;
    ports.setFault("ec-obf-after-write");
    RecordingSleeper sleeper;

    EcTransactions(ports, sleeper).writeEcByte(0xBE, 0x05);

    EXPECT_EQ(ports.statusReads(), 1u + 100u) << "the second wait runs to its limit";
    EXPECT_EQ(ports.log.back(), (Access{'W', 0x68, 0x05}));
    EXPECT_EQ(ports.state.ec[0xBE], 0x05);
}

TEST(EcTransactions, AFailedDataReadReturnsTheLastStatus)
{
    SimulatedEcPorts ports;
    ports.state.ec[0x70] = 0x52;
    ports.failDataReads = true;
    RecordingSleeper sleeper;

    EXPECT_EQ(EcTransactions(ports, sleeper).readEcByte(0x70), 0x01u);
}

TEST(EcTransactions, ReadsYieldZeroWhenTheDriverCannotReadAtAll)
{
    SimulatedEcPorts ports;
    ports.state.ec[0x70] = 0x52;
    ports.failAllReads = true;
    RecordingSleeper sleeper;

    EXPECT_EQ(EcTransactions(ports, sleeper).readEcByte(0x70), 0u);
    EXPECT_EQ(EcTransactions(ports, sleeper).readCmosByte(0x65), 0u);
}

TEST(EcTransactions, CmosReadIsAnIndexWriteAndADataReadWithoutWaits)
{
    SimulatedEcPorts ports;
    ports.state.cmos[0x65] = 0x08;
    RecordingSleeper sleeper;

    EXPECT_EQ(EcTransactions(ports, sleeper).readCmosByte(0x65), 0x08);

    const std::vector<Access> expected = {{'W', 0x72, 0x65}, {'R', 0x73, 0x08}};
    EXPECT_EQ(ports.log, expected);
    EXPECT_TRUE(sleeper.waits().empty());
}

struct StartCase {
    int refusals; // -1: the driver never starts
    int expectedCalls;
    std::size_t expectedWaits;
    bool expectedResult;
};

class DriverStart : public testing::TestWithParam<StartCase> {};

TEST_P(DriverStart, RetriesElevenTimesTwoMillisecondsApart)
{
    const StartCase& c = GetParam();
    SimulatedEcPorts ports;
    ports.refuseStarts = c.refusals;
    RecordingSleeper sleeper;
    PortAccessCount access;

    EXPECT_EQ(access.acquire(ports, sleeper), c.expectedResult);

    EXPECT_EQ(ports.initializeCalls, c.expectedCalls);
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>(c.expectedWaits, 2));
    EXPECT_EQ(access.useCount(), c.expectedResult ? 1 : 0);
    EXPECT_EQ(access.started(), c.expectedResult);
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverStart,
                         testing::Values(StartCase{0, 1, 0, true}, StartCase{2, 3, 2, true},
                                         StartCase{10, 11, 10, true}, StartCase{11, 11, 10, false},
                                         StartCase{-1, 11, 10, false}));

TEST(PortAccessCount, LaterUnitsDoNotTouchTheDriverUntilTheCountFallsToZero)
{
    SimulatedEcPorts ports;
    RecordingSleeper sleeper;
    PortAccessCount access;

    ASSERT_TRUE(access.acquire(ports, sleeper));
    ASSERT_TRUE(access.acquire(ports, sleeper));
    EXPECT_EQ(ports.initializeCalls, 1);
    EXPECT_EQ(access.useCount(), 2);

    access.release();
    access.release();
    access.release(); // never below zero
    EXPECT_EQ(access.useCount(), 0);
    EXPECT_TRUE(access.started()) << "the driver is never stopped";

    ASSERT_TRUE(access.acquire(ports, sleeper));
    EXPECT_EQ(ports.initializeCalls, 2) << "a new first unit starts the driver again";
}

TEST(CWinIOUtility, UsesTheProcessPortDriverAndSleeper)
{
    SimulatedEcPorts ports;
    ports.state.ec[0xFE] = 0x03;
    RecordingSleeper sleeper;
    tarvik::test::PortIoOverride portGuard(ports);
    tarvik::test::SleeperOverride sleepGuard(sleeper);

    EXPECT_EQ(CWinIOUtility::ReadECByte(0xFE), 0x03u);
    CWinIOUtility::WriteECByte(0xBF, 0x01);
    EXPECT_EQ(ports.state.ec[0xBF], 0x01);
    EXPECT_EQ(sleeper.waits().size(), 10u);
}
