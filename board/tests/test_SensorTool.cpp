// tarvik-board's sensor commands as a technician uses them.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvik::test;

namespace {

class SensorTool : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(runCommand({TARVIK_BOARD_TOOL, "create", dir.path(), "--model", "KQS"}).status, 0); }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {TARVIK_BOARD_TOOL, "-d", dir.path()});
        return runCommand(args);
    }
    TempDir dir;
};

TEST_F(SensorTool, AccelSetsAndPrintsTheAccelerometer)
{
    EXPECT_EQ(on({"accel"}).out, "0.000 0.000 -1.000 g, drift 0.020 g\n") << "a fresh board lies flat";
    ASSERT_EQ(on({"accel", "0.25", "-0.5", "0.875", "--drift", "0"}).status, 0);
    EXPECT_EQ(on({"accel"}).out, "0.250 -0.500 0.875 g, drift 0.000 g\n");
    EXPECT_NE(readFile(dir.file("profile.ini")).find("AccelY = -0.5"), std::string::npos);
    const std::string shown = on({"show"}).out;
    EXPECT_NE(shown.find("x 0.250  y -0.500  z 0.875 g"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Quenmark service      not running"), std::string::npos) << shown;
}

TEST_F(SensorTool, WrongValuesAreRefusedWithTheUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"accel", "1", "2"}, {"accel", "0.5", "17", "0"}, {"accel", "x", "0", "0"}, {"accel", "--drift", "2"},
             {"set", "CpuTemperature", "300"}}) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const CommandResult r = on(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(on({"accel"}).out, "0.000 0.000 -1.000 g, drift 0.020 g\n") << "nothing was changed";
}

TEST_F(SensorTool, SensorFaultsAreListedAndTaken)
{
    const std::string list = on({"fault", "list"}).out;
    for (const char* fault : {"gsensor-missing", "gsensor-2d", "gsensor-access-denied", "gsensor-no-z", "quenmark-status",
                              "quenmark-silent"})
        EXPECT_NE(list.find(fault), std::string::npos) << fault;
    EXPECT_EQ(on({"fault", "quenmark-status", "2"}).status, 0);
    EXPECT_EQ(on({"fault", "gsensor-2d", "extra"}).status, 2);
}

} // namespace
