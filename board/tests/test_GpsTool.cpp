// tarvik-board's side of the simulated GPS receiver: its profile values, faults, show and serve.
#include "TestSupport.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;
using namespace std::chrono_literals;

namespace {

class GpsTool : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(runCommand({TARVIK_BOARD_TOOL, "create", dir.path(), "--model", "KTA"}).status, 0); }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {TARVIK_BOARD_TOOL, "-d", dir.path()});
        return runCommand(args);
    }
    TempDir dir;
};

} // namespace

TEST_F(GpsTool, ProfileValuesAreCheckedAndShown)
{
    const struct {
        const char* name;
        const char* value;
        bool accepted;
    } cases[] = {
        {"GPSTalker", "GN", true},        {"GPSTalker", "GL", false},      {"GPSLatitude", "33.680232S", true},
        {"GPSLatitude", "-91", false},    {"GPSLongitude", "70.6 W", true}, {"GPSFixQuality", "6", true},
        {"GPSFixQuality", "9", false},    {"GPSBaudRate", "4800", true},
        {"GPSUpdateRate", "0", false},    {"GPSSpeed", "-1", false},       {"GPSSatellites", "25", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.value);
        const auto r = on({"set", c.name, c.value});
        EXPECT_EQ(r.status, c.accepted ? 0 : 2) << r.err;
    }
    const auto shown = on({"show"});
    EXPECT_NE(shown.out.find("GPS receiver"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("4800 baud, 1 fix/s, talker GN"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("33.680232 S  70.600000 W"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("fix quality           6"), std::string::npos) << shown.out;
}

TEST_F(GpsTool, ShowsThePortTheDeviceListGivesTheReceiver)
{
    EXPECT_NE(on({"show"}).out.find("  COM3                  not served"), std::string::npos);
    ASSERT_EQ(on({"device", "clear"}).status, 0);
    ASSERT_EQ(on({"device", "add", "ports", "u-blox GNSS Receiver (COM12)"}).status, 0);
    EXPECT_NE(on({"show"}).out.find("  COM12                 not served"), std::string::npos);
    ASSERT_EQ(on({"device", "clear"}).status, 0);
    const auto shown = on({"show"});
    EXPECT_NE(shown.out.find("the device list has no u-blox GNSS Receiver"), std::string::npos) << shown.out;
}

TEST_F(GpsTool, FaultsAreListedAndTaken)
{
    const auto list = on({"fault", "list"});
    for (const char* fault : {"gps-silent", "gps-garbage", "gps-no-fix"}) {
        SCOPED_TRACE(fault);
        EXPECT_NE(list.out.find(fault), std::string::npos);
        EXPECT_EQ(on({"fault", fault}).status, 0);
    }
    EXPECT_NE(on({"show"}).out.find("gps-no-fix"), std::string::npos);
}

TEST_F(GpsTool, ServeLinksThePortUntilTerminated)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout))
            _exit(127);
        execl(TARVIK_BOARD_TOOL, TARVIK_BOARD_TOOL, "-d", dir.path().c_str(), "serve", "gps", static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string link = dir.file("COM3");
    for (int i = 0; i < 1000 && !std::filesystem::exists(link); ++i)
        std::this_thread::sleep_for(2ms);
    ASSERT_TRUE(std::filesystem::exists(link));
    EXPECT_NE(on({"show"}).out.find("(served)"), std::string::npos);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_NE(on({"show"}).out.find("not served"), std::string::npos);
}
