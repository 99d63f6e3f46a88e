// Navorin against the virtual board's simulated GPS receiver, served by `tarvik-board serve gps`
// in a process of its own, as on a developer's machine.
#include "Board.h"
#include "NavorinLibrary.h"
#include "PtyPeer.h"
#include "TestSupport.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using tarvik::test::testBoardDir;
using tarvik::test::waitFor;

namespace {

constexpr int kGpsPort = 3;
constexpr int kBaud = 115200; // with 10 fixes a second, so that the test needs no seconds

class ServedBoard : public testing::Test {
protected:
    void SetUp() override
    {
        auto opened = tarvik::board::Board::open(testBoardDir());
        ASSERT_TRUE(opened) << opened.error();
        board = std::move(*opened);
        board->clearAllFaults();
        for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
                 {"GPSBaudRate", std::to_string(kBaud)}, {"GPSUpdateRate", "10"}, {"GPSSpeed", "0"},
                 {"GPSTalker", "GP"}, {"GPSLatitude", "25.052083"}, {"GPSLongitude", "121.529722"}}) {
            ASSERT_TRUE(board->setValue(name, value)) << name;
        }
        startServer();
        ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(testBoardDir() + "/COM3"); }));
        lib.serialPortSet(kGpsPort);
        lib.baudRateSet(kBaud);
    }
    void TearDown() override
    {
        lib.stop();
        stopServer();
    }
    void startServer()
    {
        server = fork();
        if (server == 0) {
            if (!freopen("/dev/null", "w", stdout))
                _exit(127);
            execl(TARVIK_BOARD_TOOL, TARVIK_BOARD_TOOL, "-d", testBoardDir().c_str(), "serve", "gps", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    void stopServer()
    {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
            server = -1;
        }
    }
    struct Fix {
        double longitude = 0;
        double latitude = 0;
    };
    bool fix(Fix& f) const { return lib.positionDouble(&f.longitude, &f.latitude) == 1; }

    std::unique_ptr<tarvik::board::Board> board;
    NavorinLibrary lib;
    pid_t server = -1;
};

} // namespace

TEST_F(ServedBoard, ReportsTheReceiversPositionInBothForms)
{
    ASSERT_EQ(lib.start(), 1);
    Fix f;
    ASSERT_TRUE(waitFor([&] { return fix(f); }, 3s));
    EXPECT_NEAR(f.latitude, 25.052083, 1e-6);
    EXPECT_NEAR(f.longitude, 121.529722, 1e-6);
    int satellites = 0;
    EXPECT_EQ(lib.satellites(&satellites), 1);
    EXPECT_EQ(satellites, 8);
    const auto texts = lib.texts();
    EXPECT_EQ(texts.latitude, "N25'3'7'");
    EXPECT_EQ(texts.longitude, "E121'31'46'");
    EXPECT_EQ(texts.altitude, "12.500000");
}

TEST_F(ServedBoard, FollowsTheReceiverSouthWestAndAcrossTalkers)
{
    ASSERT_EQ(lib.start(), 1);
    ASSERT_TRUE(board->setValue("GPSTalker", "GN"));
    ASSERT_TRUE(board->setValue("GPSLatitude", "33.680232S"));
    ASSERT_TRUE(board->setValue("GPSLongitude", "70.6W"));
    Fix f;
    // The three values reach the receiver one by one.
    ASSERT_TRUE(waitFor([&] { return fix(f) && std::abs(f.latitude - 33.680232) < 1e-6 && std::abs(f.longitude - 70.6) < 1e-6; }, 3s))
        << f.latitude << " " << f.longitude;
    EXPECT_EQ(lib.texts().latitude.front(), 'S');
    EXPECT_EQ(lib.texts().longitude.front(), 'W');
}

TEST_F(ServedBoard, LosesTheFixWhileTheReceiverSearchesAndKeepsThePosition)
{
    ASSERT_EQ(lib.start(), 1);
    Fix f;
    ASSERT_TRUE(waitFor([&] { return fix(f); }, 3s));
    ASSERT_TRUE(board->setFault("gps-no-fix", ""));
    ASSERT_TRUE(waitFor([&] { return !fix(f); }, 3s));
    int satellites = -7;
    EXPECT_EQ(lib.satellites(&satellites), 0);
    EXPECT_EQ(satellites, -7);
    board->clearAllFaults();
    ASSERT_TRUE(waitFor([&] { return fix(f); }, 3s));
    EXPECT_NEAR(f.latitude, 25.052083, 1e-6);
}

TEST_F(ServedBoard, ThePositionMovesAlongTheRoute)
{
    ASSERT_TRUE(board->setValue("GPSSpeed", "120"));
    ASSERT_EQ(lib.start(), 1);
    Fix first;
    ASSERT_TRUE(waitFor([&] { return fix(first); }, 3s));
    Fix later;
    EXPECT_TRUE(waitFor([&] { return fix(later) && later.longitude != first.longitude; }, 3s));
}

// A receiver that goes away takes its fix along (nobody knows where the vehicle is now), while
// a plain stop keeps it; the stop is still prompt, and the receiver back gives fixes again.
TEST_F(ServedBoard, AReceiverThatGoesAwayDropsItsFixAndAPromptStop)
{
    ASSERT_EQ(lib.start(), 1);
    Fix f;
    ASSERT_TRUE(waitFor([&] { return fix(f); }, 3s));
    stopServer();
    EXPECT_TRUE(waitFor([&] { return !fix(f); }, 2s)) << "the fix of a receiver that is gone stays";
    int satellites = -1;
    EXPECT_EQ(lib.satellites(&satellites), 0);
    const auto start = std::chrono::steady_clock::now();
    lib.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(lib.start(), 0) << "no receiver, no port";

    startServer();
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(testBoardDir() + "/COM3"); }));
    ASSERT_EQ(lib.start(), 1);
    EXPECT_TRUE(waitFor([&] { return fix(f); }, 3s));
}
