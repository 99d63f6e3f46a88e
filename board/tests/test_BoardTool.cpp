// tarvik-board as a person or an acceptance script uses it.
#include "Board.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tarvik::test;

namespace {

CommandResult tool(std::vector<std::string> args)
{
    args.insert(args.begin(), TARVIK_BOARD_TOOL);
    return runCommand(args);
}

class BoardTool : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(tool({"create", dir.path(), "--model", "KTA"}).status, 0); }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-d", dir.path()});
        return tool(args);
    }
    TempDir dir;
};

// Without -d and TARVIK_BOARD the board lives in the runtime folder, which in /tmp anyone may have
// made first: a folder of someone else's is not used.
TEST(BoardToolDefault, ARuntimeFolderOfSomeoneElsesIsNotUsed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another user";
    TempDir runtime;
    const std::string foreign = runtime.file("tarvik");
    ASSERT_EQ(mkdir(foreign.c_str(), 0777), 0);
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
    const CommandResult r = runCommand({"/usr/bin/env", "-u", "TARVIK_BOARD", "XDG_RUNTIME_DIR=" + runtime.path(),
                                        TARVIK_BOARD_TOOL, "show"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no default board"), std::string::npos) << r.err;
    EXPECT_FALSE(tarvik::board::Board::exists(foreign + "/board"));
}

TEST(BoardToolCreate, EveryPresetMakesABoardOfItsModel)
{
    for (const std::string model : {"KTA", "KTE", "KTH", "KTM", "KTR", "KPN", "KQS", "KZS", "OTHER"}) {
        SCOPED_TRACE(model);
        TempDir dir;
        const auto made = tool({"create", dir.file("b"), "--model", model});
        ASSERT_EQ(made.status, 0) << made.err;
        const auto shown = tool({"-d", dir.file("b"), "show"});
        ASSERT_EQ(shown.status, 0) << shown.err;
        EXPECT_NE(shown.out.find("Model " + model), std::string::npos) << shown.out;
    }
}

TEST(BoardToolCreate, KtmPowerBoardIsKept)
{
    TempDir dir;
    ASSERT_EQ(tool({"create", dir.path(), "--model", "KTM", "--power-board", "low"}).status, 0);
    EXPECT_NE(readFile(dir.file("profile.ini")).find("PowerBoard = low"), std::string::npos);
}

TEST_F(BoardTool, EcAndCmosTakeHexAndPrintZeroXNN)
{
    EXPECT_EQ(on({"ec", "70"}).out, "0x52\n");
    EXPECT_EQ(on({"ec", "0x9d", "0A"}).out, "0x0a\n");
    EXPECT_EQ(on({"ec", "9D"}).out, "0x0a\n");
    EXPECT_EQ(on({"cmos", "65", "8"}).out, "0x08\n");
    EXPECT_EQ(on({"cmos", "0x65"}).out, "0x08\n");
}

TEST_F(BoardTool, SetChangesTheFirmwareAndWhatTheEcDerivesFromIt)
{
    ASSERT_EQ(on({"set", "ECFirmwareMajorRelease", "2"}).status, 0);
    ASSERT_EQ(on({"set", "ECFirmwareMinorRelease", "010"}).status, 0);
    EXPECT_EQ(on({"ec", "FF"}).out, "0x0a\n"); // decimal despite the leading zero
    ASSERT_EQ(on({"set", "ECFirmwareMinorRelease", "0x0A"}).status, 0);
    ASSERT_EQ(on({"set", "BoardTemperature", "-5"}).status, 0);
    ASSERT_EQ(on({"set", "BIOSVersion", "KQS 1.0 beta"}).status, 0);
    EXPECT_EQ(on({"ec", "FE"}).out, "0x02\n");
    EXPECT_EQ(on({"ec", "FF"}).out, "0x0a\n");
    EXPECT_EQ(on({"ec", "70"}).out, "0x23\n");
    const std::string profile = readFile(dir.file("profile.ini"));
    EXPECT_NE(profile.find("BIOSVersion = KQS 1.0 beta"), std::string::npos);
    ASSERT_EQ(on({"unset", "SystemSKU"}).status, 0);
    EXPECT_EQ(readFile(dir.file("profile.ini")).find("SystemSKU"), std::string::npos);
}

TEST_F(BoardTool, DevicesAreAddedAndCleared)
{
    ASSERT_EQ(on({"device", "clear"}).status, 0);
    ASSERT_EQ(on({"device", "add", "ports", "GPS Receiver (COM4)"}).status, 0);
    ASSERT_EQ(on({"device", "add", "modem", "Sierra Wireless WWAN Modem", "COM12"}).status, 0);
    const auto shown = on({"show"});
    EXPECT_NE(shown.out.find("ports GPS Receiver (COM4)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("modem Sierra Wireless WWAN Modem  port COM12"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("ports u-blox"), std::string::npos) << "the preset's devices are gone";
}

TEST_F(BoardTool, FaultsAreSetShownAndCleared)
{
    ASSERT_EQ(on({"fault", "driver-refuse", "3"}).status, 0);
    ASSERT_EQ(on({"fault", "ec-status-stuck", "0x09"}).status, 0);
    ASSERT_EQ(on({"fault", "ec-ignore-commands"}).status, 0);
    auto shown = on({"show"}).out;
    EXPECT_NE(shown.find("driver-refuse 3 (3 left)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("ec-status-stuck 0x09\n"), std::string::npos) << shown;
    ASSERT_EQ(on({"fault", "clear", "ec-status-stuck"}).status, 0);
    shown = on({"show"}).out;
    EXPECT_EQ(shown.find("ec-status-stuck"), std::string::npos);
    ASSERT_EQ(on({"fault", "clear"}).status, 0);
    shown = on({"show"}).out;
    EXPECT_NE(shown.find("Faults\n  none"), std::string::npos) << shown;
}

TEST_F(BoardTool, BadArgumentsPrintUsageAndExitTwo)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"ec"},
        {"ec", "100"},
        {"ec", "zz"},
        {"ec", "70", "1FF"},
        {"ec", "70", "1", "2"},
        {"cmos", "x"},
        {"set", "NoSuchValue", "1"},
        {"set", "ECFirmwareMajorRelease", "seven"},
        {"set", "BoardTemperature", "300"},
        {"set", "WWANFitted", "2"},
        {"set", "PowerBoard", "medium"},
        {"set", "BIOSVersion"},
        {"device", "add", "modem", "M"},
        {"device", "add", "modem", "M", "COM1x"},
        {"device", "add", "modem", "M", "COM"},
        {"unset", "NoSuchValue"},
        {"device", "add", "usb", "X"},
        {"device"},
        {"fault", "no-such-fault"},
        {"fault", "driver-refuse"},
        {"fault", "driver-refuse", "-1"},
        {"fault", "ec-status-stuck", "123"},
        {"fault", "ec-ignore-commands", "now"},
        {"show", "extra"},
    };
    for (const auto& args : bad) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const auto r = on(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"create"}, {"create", dir.path()}, {"create", dir.path(), "--model", "XYZ"},
             {"create", dir.path(), "--model", "KTM", "--power-board", "huge"}}) {
        EXPECT_EQ(tool(args).status, 2);
    }
}

TEST_F(BoardTool, DamagedFilesAreNamedNotCrashedOn)
{
    writeFile(dir.file("board.mem"), "garbage");
    auto r = on({"show"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(dir.file("board.mem")), std::string::npos) << r.err;

    ASSERT_EQ(tool({"create", dir.path(), "--model", "KTA"}).status, 0);
    writeFile(dir.file("profile.ini"), "[firmware]\n\x01\x02\x03 garbage\n");
    r = on({"ec", "70"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(dir.file("profile.ini") + ":2"), std::string::npos) << r.err;

    // A good value on a damaged profile: the board's failure (1), not the user's (2).
    r = on({"set", "BIOSVersion", "KQS1.05"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("usage:"), std::string::npos) << r.err;

    r = tool({"-d", dir.file("nowhere"), "show"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(dir.file("nowhere")), std::string::npos) << r.err;
}

TEST_F(BoardTool, MissingMemoryIsRebuiltFromTheProfile)
{
    ASSERT_EQ(on({"set", "ECFirmwareMajorRelease", "9"}).status, 0);
    std::remove(dir.file("board.mem").c_str());
    EXPECT_EQ(on({"ec", "FE"}).out, "0x09\n");
    EXPECT_EQ(on({"cmos", "60"}).out, "0x81\n");
}

} // namespace
