// Several programs on one board: what one sets, the next run sees; a damaged state file costs the
// values, not the program. The tool shows what the library records.
#include "Board.h"
#include "Kestrom.h"
#include "PowerBoard.h"
#include "TestSupport.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarvik::test;

namespace {

CommandResult probe(std::vector<std::string> args)
{
    args.insert(args.begin(), KESTROM_PROBE);
    return runCommand(args);
}

CommandResult tool(std::vector<std::string> args)
{
    args.insert(args.begin(), TARVIK_BOARD_TOOL);
    return runCommand(args);
}

// Runs the probe on another board than the test process's own.
class OtherBoard {
public:
    OtherBoard() : own_(testBoardDir())
    {
        EXPECT_TRUE(tarvik::board::Board::create(dir.path(), "KTA"));
        setenv("TARVIK_BOARD", dir.path().c_str(), 1);
    }
    ~OtherBoard() { setenv("TARVIK_BOARD", own_.c_str(), 1); }
    std::string powerFile() const { return dir.file("power.mem"); }

    TempDir dir;

private:
    // Taken before the variable changes: testBoardDir() reads it once.
    std::string own_;
};

TEST(KestromProcesses, WhatOneProgramSetsTheNextSees)
{
    RecordingSleeper sleeper;
    SleeperOverride guard(sleeper);
    CKestrom k;
    ASSERT_EQ(k.vBC_BrightnessValueSet(37), 1);
    ASSERT_EQ(k.vWU_WakeOnSMSStringInit(), 1);
    ASSERT_EQ(k.vWU_WakeOnSMSStringSet("C0FFEE42"), 1);

    auto r = probe({"brightness"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "brightness=37\n");
    r = probe({"sms-code"});
    EXPECT_EQ(r.out, "sms-code=C0FFEE42\n");

    ASSERT_EQ(probe({"rtc", "5", "45", "30"}).status, 0);
    ASSERT_EQ(probe({"brightness", "64"}).status, 0);
    EXPECT_EQ(probe({"brightness", "101"}).status, 1);
    unsigned char h = 0, m = 0, s = 0;
    EXPECT_EQ(k.vWU_WakeOnRTCTimerStatus(&h, &m, &s), 1);
    EXPECT_EQ(std::vector<int>({h, m, s}), std::vector<int>({5, 45, 30}));
    int percent = 0;
    EXPECT_EQ(k.vBC_BrightnessValueGet(&percent), 1);
    EXPECT_EQ(percent, 64);
}

TEST(KestromProcesses, ADamagedStateFileGivesTheFactoryValuesWithOneLine)
{
    struct Damage {
        const char* what;
        void (*apply)(const std::string& path);
    };
    const Damage damages[] = {
        {"garbage header", [](const std::string& p) {
             const int fd = open(p.c_str(), O_WRONLY);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(pwrite(fd, "XXXXXXXX", 8, 0), 8);
             close(fd);
         }},
        {"cut short", [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 40), 0); }},
        {"empty", [](const std::string& p) { ASSERT_EQ(truncate(p.c_str(), 0), 0); }},
        {"never filled in", [](const std::string& p) {
             // A valid header over zeros: made, then the maker died before writing the values.
             const std::string text = readFile(p);
             writeFile(p, text.substr(0, 16) + std::string(text.size() - 16, '\0'));
         }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        OtherBoard other;
        ASSERT_EQ(probe({"brightness", "12"}).status, 0);
        d.apply(other.powerFile());
        const auto r = probe({"brightness"});
        EXPECT_EQ(r.status, 0) << r.err;
        const auto firstLine = r.out.find('\n');
        ASSERT_NE(firstLine, std::string::npos) << r.out;
        EXPECT_EQ(r.out.substr(0, 9), "Kestrom: ") << r.out;
        EXPECT_NE(r.out.find("replaced by the factory values"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.substr(firstLine + 1), "brightness=80\n") << "one diagnostic line, then the factory value";
        // Repaired for good: the next run says nothing.
        EXPECT_EQ(probe({"brightness"}).out, "brightness=80\n");
    }
}

TEST(KestromProcesses, RealHardwareLeavesTheBoardAloneAndFailsWithoutTheVendorDriver)
{
    auto power = tarvik::board::PowerBoard::open(testBoardDir());
    ASSERT_TRUE(power) << power.error();
    (*power)->reset();
    // Only the SMS store: it fails on any Linux machine and touches nothing there.
    setenv("TARVIK_BOARD", "hw", 1);
    const auto sms = probe({"sms-code", "0123ABCD"});
    setenv("TARVIK_BOARD", testBoardDir().c_str(), 1);
    EXPECT_EQ(sms.status, 1) << sms.out << sms.err;
    const auto ready = (*power)->memory().locked(
        [](tarvik::board::PowerState& s) { return tarvik::board::valueOf(s, tarvik::board::PowerValue::SmsStoreReady); });
    EXPECT_EQ(ready, 0) << "the hardware run reached the virtual board";
}

TEST(KestromProcesses, ShowListsForcedWatchdogExpiriesAndTheEmergencyLatch)
{
    OtherBoard other;
    ASSERT_EQ(tool({"-d", other.dir.path(), "power", "set", "Watchdog", "1"}).status, 0);
    ASSERT_EQ(tool({"-d", other.dir.path(), "power", "emergency"}).status, 0);
    {
        // The library of this process is on its own board; the board's record is what counts.
        auto power = tarvik::board::PowerBoard::open(other.dir.path());
        ASSERT_TRUE(power);
        ASSERT_TRUE((*power)->forceWatchdogExpiry(1700000000));
    }
    const auto shown = tool({"-d", other.dir.path(), "show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("Watchdog expiries forced: 1, last 2023-11-14 22:13:20 UTC"), std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("EmergencyLatch        1"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Emergency key presses: 1"), std::string::npos) << shown.out;
}

} // namespace
