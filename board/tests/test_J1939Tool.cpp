// The interpreter and the vehicle through tarvik-board, as a person or a script uses them.
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;

namespace {

CommandResult tool(std::vector<std::string> args)
{
    args.insert(args.begin(), TARVIK_BOARD_TOOL);
    return runCommand(args);
}

class J1939Tool : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(tool({"create", dir.path(), "--model", "KTA"}).status, 0); }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-d", dir.path()});
        return tool(args);
    }
    TempDir dir;
};

TEST_F(J1939Tool, VehicleValuesAreSetAndShown)
{
    ASSERT_EQ(on({"set", "EngineSpeed", "621"}).status, 0);
    ASSERT_EQ(on({"set", "CoolantTemperature", "-5"}).status, 0);
    ASSERT_EQ(on({"set", "VehicleSpeed", "0"}).status, 0);
    const auto shown = on({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("Vehicle (J1939 interpreter on COM5)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("engine speed 621.0 rpm, road speed 0.00 km/h"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("coolant -5 C"), std::string::npos) << shown.out;
    EXPECT_THAT(shown.out, testing::ContainsRegex("EngineSpeed +621\n"));

    const auto refused = on({"set", "EngineSpeed", "9000"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("expected rpm"), std::string::npos) << refused.err;
}

TEST_F(J1939Tool, FaultsAreListedSetAndChecked)
{
    const auto list = on({"fault", "list"});
    for (const char* name : {"j1939-silent", "j1939-no-prompt", "j1939-garbage", "j1939-status"})
        EXPECT_NE(list.out.find(name), std::string::npos) << name;
    ASSERT_EQ(on({"fault", "j1939-status", "CAN ERROR"}).status, 0);
    EXPECT_NE(on({"show"}).out.find("j1939-status CAN ERROR"), std::string::npos);
    EXPECT_EQ(on({"fault", "j1939-status", "OOPS"}).status, 2);
    EXPECT_EQ(on({"fault", "j1939-silent", "now"}).status, 2);
}

TEST_F(J1939Tool, ServeLinksCom5UntilTerminated)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(TARVIK_BOARD_TOOL, TARVIK_BOARD_TOOL, "-d", dir.path().c_str(), "serve", "j1939", nullptr);
        _exit(127);
    }
    const std::string link = dir.file("COM5");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (access(link.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    char target[128] = {};
    EXPECT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(access(link.c_str(), F_OK), 0);
}

TEST_F(J1939Tool, ServeWithoutAnInterpreterSaysWhy)
{
    ASSERT_EQ(on({"device", "clear"}).status, 0);
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(dir.file("err").c_str(), O_WRONLY | O_CREAT, 0600);
        dup2(err, STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(TARVIK_BOARD_TOOL, TARVIK_BOARD_TOOL, "-d", dir.path().c_str(), "serve", "j1939", nullptr);
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (readFile(dir.file("err")).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(readFile(dir.file("err")).find("no STN1110 J1939 Interpreter"), std::string::npos);
}

} // namespace
