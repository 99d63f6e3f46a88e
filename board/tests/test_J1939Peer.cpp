// The interpreter peer over a real pseudo-terminal, as a host program meets it through COM5.
#include "Board.h"
#include "J1939Interpreter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::board;
using tarvik::test::TempDir;
using Clock = std::chrono::steady_clock;

namespace {

class Peer : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(dir.path(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        // Broadcasts 20 times as often: a once-a-second group comes every 50 ms.
        ASSERT_TRUE(board->setValue("J1939BroadcastDivisor", "20"));
    }
    void TearDown() override
    {
        stop = true;
        if (peer.joinable())
            peer.join();
        if (fd >= 0)
            close(fd);
    }

    void start()
    {
        peer = std::thread([this] { served = serveJ1939Interpreter(*board, stop, error); });
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (access(dir.file("COM5").c_str(), F_OK) != 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        fd = open(dir.file("COM5").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fd, 0) << error;
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B115200);
        cfsetospeed(&t, B115200);
        tcsetattr(fd, TCSANOW, &t);
    }

    // Writes a command, then returns what came back up to and including the first `until` (all of
    // it when `until` does not come within the limit); later bytes stay for the next call.
    std::string exchange(const std::string& command, const std::string& until,
                         std::chrono::milliseconds limit = std::chrono::seconds(1))
    {
        if (!command.empty()) {
            EXPECT_EQ(write(fd, command.data(), command.size()), static_cast<ssize_t>(command.size()));
        }
        const auto deadline = Clock::now() + limit;
        while (rx.find(until) == std::string::npos && Clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 10) > 0) {
                char buffer[512];
                const ssize_t n = read(fd, buffer, sizeof buffer);
                if (n > 0)
                    rx.append(buffer, static_cast<std::size_t>(n));
            }
        }
        const std::size_t at = rx.find(until);
        const std::size_t cut = at == std::string::npos ? rx.size() : at + until.size();
        std::string got = rx.substr(0, cut);
        rx.erase(0, cut);
        return got;
    }

    TempDir dir;
    std::unique_ptr<Board> board;
    std::atomic<bool> stop{false};
    std::thread peer;
    bool served = false;
    std::string error;
    int fd = -1;
    std::string rx;
};

TEST_F(Peer, AnswersTheHostOnTheBoardsCom5AndRemovesTheLinkWhenStopped)
{
    start();
    EXPECT_EQ(exchange("ATL1\r", ">"), "ATL1\rOK\r\n\r\n>");
    EXPECT_EQ(exchange("ATH1\r", ">"), "ATH1\r\nOK\r\n\r\n>");
    EXPECT_EQ(exchange("ATMP00FEEE\r", "\r\n"), "ATMP00FEEE\r\n");
    EXPECT_EQ(exchange("", "\r\n"), "6 0FEEE 00 7D 55 00 2E FF FF FF FF\r\n");
    // Lines printed meanwhile may come before it; the stop itself ends with the prompt.
    const std::string stopped = exchange("\r", ">");
    EXPECT_EQ(stopped.substr(stopped.size() - 3), "\r\n>") << stopped;
    ASSERT_TRUE(board->setValue("EngineSpeed", "621"));
    EXPECT_EQ(exchange("ATMP00F004\r", "\r\n"), "ATMP00F004\r\n");
    EXPECT_EQ(exchange("", "\r\n"), "3 0F004 00 F0 A5 A5 68 13 00 F0 A5\r\n");
    exchange("\r", ">");
    EXPECT_EQ(exchange("ATRV\r", ">"), "ATRV\r\n27.6V\r\n\r\n>");

    stop = true;
    peer.join();
    EXPECT_TRUE(served) << error;
    EXPECT_NE(access(dir.file("COM5").c_str(), F_OK), 0);
}

TEST_F(Peer, FaultsChangeWhatTheHostSees)
{
    start();
    exchange("ATL1\r", ">");
    ASSERT_TRUE(board->setFault("j1939-silent", ""));
    constexpr std::chrono::milliseconds kQuiet(300);
    EXPECT_EQ(exchange("ATH1\r", ">", kQuiet), "");
    board->clearAllFaults();
    ASSERT_TRUE(board->setFault("j1939-status", "NO DATA"));
    EXPECT_EQ(exchange("ATMP00FEF1\r", ">"), "ATMP00FEF1\r\nNO DATA\r\n\r\n>");
    board->clearAllFaults();
    ASSERT_TRUE(board->setFault("j1939-no-prompt", ""));
    EXPECT_EQ(exchange("ATH1\r", ">", kQuiet), "ATH1\r\nOK\r\n\r\n");
    board->clearAllFaults();
    ASSERT_TRUE(board->setFault("j1939-garbage", ""));
    const std::string noise = exchange("ATH1\r", ">", kQuiet);
    EXPECT_EQ(noise.size(), std::string("ATH1\r\nOK\r\n\r\n>").size());
    EXPECT_EQ(noise.find_first_of("\r\n>"), std::string::npos);
}

TEST_F(Peer, FollowsTheDeviceListAndRefusesWithoutAnInterpreter)
{
    ASSERT_TRUE(board->clearDevices());
    ASSERT_TRUE(board->addDevice("ports", "STN1110 J1939 Interpreter (COM12)", ""));
    auto profile = board->profile();
    ASSERT_TRUE(profile);
    EXPECT_EQ(j1939InterpreterPort(*profile), 12);

    ASSERT_TRUE(board->clearDevices());
    std::string why;
    EXPECT_FALSE(serveJ1939Interpreter(*board, stop, why));
    EXPECT_NE(why.find("STN1110 J1939 Interpreter"), std::string::npos) << why;
}

TEST_F(Peer, MonitoringFasterThanTheLineEndsInBufferFull)
{
    // Engine speed lines every 20 ms are 1750 bytes a second; 9600 baud carries 960.
    ASSERT_TRUE(board->setValue("J1939BroadcastDivisor", "1"));
    start();
    termios t{};
    tcgetattr(fd, &t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
    exchange("ATL1\r", ">");
    exchange("ATH1\r", ">");
    const std::string got = exchange("ATMP00F004\r", "BUFFER FULL\r\n\r\n>", std::chrono::seconds(3));
    EXPECT_NE(got.find("3 0F004 00 "), std::string::npos);
    EXPECT_EQ(got.substr(got.size() - 16), "BUFFER FULL\r\n\r\n>");
}

} // namespace
