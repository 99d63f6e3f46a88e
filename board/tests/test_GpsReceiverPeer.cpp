// The simulated GPS receiver on its pseudo-terminal, read as a host reads a serial port.
#include "Board.h"
#include "EcSimulator.h"
#include "GpsReceiverPeer.h"
#include "NmeaFraming.h"
#include "TestSupport.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using tarvik::board::Board;
using tarvik::board::BoardState;
using tarvik::board::GpsReceiverPeer;

namespace {

bool waitUntil(const std::function<bool()>& cond, std::chrono::milliseconds limit = 3s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A host on the receiver's port at a given speed.
class Host {
public:
    Host(const std::string& path, speed_t speed)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
        tcflush(fd_, TCIFLUSH);
    }
    ~Host() { ::close(fd_); }
    bool ok() const { return fd_ >= 0; }
    std::string read(std::chrono::milliseconds during)
    {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + during;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                return got;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) > 0) {
                char buf[4096];
                const ssize_t n = ::read(fd_, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    void discard() { tcflush(fd_, TCIFLUSH); }

private:
    int fd_;
};

// Complete sentences with a correct checksum.
std::vector<std::string> validSentences(const std::string& bytes)
{
    std::vector<std::string> out;
    std::size_t start = bytes.find('$');
    while (start != std::string::npos) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            break;
        const std::string s = bytes.substr(start, end - start);
        const std::size_t star = s.find('*');
        char sum[3];
        if (star != std::string::npos && s.find('$', 1) == std::string::npos) {
            std::snprintf(sum, sizeof sum, "%02X", tarvik::board::gps::nmeaChecksum(std::string_view(s).substr(1, star - 1)));
            if (s.substr(star + 1) == sum)
                out.push_back(s);
        }
        start = bytes.find('$', end);
    }
    return out;
}

std::vector<std::string> ggaOf(const std::string& bytes)
{
    std::vector<std::string> out;
    for (const std::string& s : validSentences(bytes)) {
        if (s.rfind("$GPGGA,", 0) == 0 || s.rfind("$GNGGA,", 0) == 0)
            out.push_back(s);
    }
    return out;
}

class ServedReceiver : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(dir.path(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        ASSERT_TRUE(board->setValue("GPSBaudRate", "115200"));
        ASSERT_TRUE(board->setValue("GPSUpdateRate", "10"));
        serving = std::thread([this] { served = GpsReceiverPeer(*board).run(stop); });
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(dir.file("COM3")); }));
    }
    void TearDown() override
    {
        stop = true;
        if (serving.joinable())
            serving.join();
    }

    tarvik::test::TempDir dir;
    std::unique_ptr<Board> board;
    std::atomic<bool> stop{false};
    std::atomic<bool> served{false};
    std::thread serving;
};

} // namespace

TEST_F(ServedReceiver, SendsAMovingFixOnTheLinkedPort)
{
    Host host(dir.file("COM3"), B115200);
    ASSERT_TRUE(host.ok());
    const auto ggas = ggaOf(host.read(350ms));
    ASSERT_GE(ggas.size(), 2u);
    EXPECT_NE(ggas[0].substr(17, 30), ggas[1].substr(17, 30)) << "the position moves from fix to fix";
    EXPECT_NE(ggas[0].find(",N,"), std::string::npos);
    EXPECT_NE(ggas[0].find(",E,1,08,"), std::string::npos);
}

TEST_F(ServedReceiver, KeepsThePaceOfItsBaudRate)
{
    ASSERT_TRUE(board->setValue("GPSBaudRate", "4800")); // 480 bytes a second, less than it has to say
    Host host(dir.file("COM3"), B4800);
    host.read(150ms); // the change takes effect at the next epoch
    host.discard();
    const std::size_t bytes = host.read(500ms).size();
    EXPECT_GE(bytes, 200u);
    EXPECT_LE(bytes, 260u);
}

TEST_F(ServedReceiver, AHostAtAnotherBaudRateReadsGarbage)
{
    Host host(dir.file("COM3"), B9600);
    host.read(150ms); // what was on its way before the host changed the speed
    host.discard();
    const std::string bytes = host.read(200ms);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find('$'), std::string::npos);
}

TEST_F(ServedReceiver, FaultsAndTheModulesPower)
{
    Host host(dir.file("COM3"), B115200);
    auto afterChange = [&] {
        host.read(150ms); // the epoch under way when the change came
        host.discard();
        return host.read(200ms);
    };

    ASSERT_TRUE(board->setFault("gps-silent", ""));
    EXPECT_EQ(afterChange(), "");
    board->clearAllFaults();

    ASSERT_TRUE(board->setFault("gps-garbage", ""));
    std::string bytes = afterChange();
    EXPECT_GT(bytes.size(), 200u);
    EXPECT_TRUE(ggaOf(bytes).empty());
    board->clearAllFaults();

    ASSERT_TRUE(board->setFault("gps-no-fix", ""));
    auto ggas = ggaOf(afterChange());
    ASSERT_FALSE(ggas.empty());
    EXPECT_NE(ggas.back().find(",,,,,0,00,"), std::string::npos) << ggas.back();
    board->clearAllFaults();

    board->memory().locked([](BoardState& s) { s.cmos[tarvik::board::ec::CMOS_GPS_STATUS] = 0x00; });
    EXPECT_EQ(afterChange(), "") << "the GPS module is switched off";
    board->memory().locked([](BoardState& s) { s.cmos[tarvik::board::ec::CMOS_GPS_STATUS] = 0x80; });
    EXPECT_FALSE(ggaOf(afterChange()).empty());
}

TEST_F(ServedReceiver, TalkerQualityAndPositionFollowTheProfile)
{
    ASSERT_TRUE(board->setValue("GPSTalker", "GN"));
    ASSERT_TRUE(board->setValue("GPSFixQuality", "2"));
    ASSERT_TRUE(board->setValue("GPSLatitude", "33.680232S"));
    ASSERT_TRUE(board->setValue("GPSLongitude", "-70.6"));
    ASSERT_TRUE(board->setValue("GPSSpeed", "0"));
    Host host(dir.file("COM3"), B115200);
    host.read(200ms);
    host.discard();
    const auto ggas = ggaOf(host.read(250ms));
    ASSERT_FALSE(ggas.empty());
    EXPECT_EQ(ggas.back().substr(0, 7), "$GNGGA,");
    EXPECT_NE(ggas.back().find(",3340.81392,S,07036.00000,W,2,08,"), std::string::npos) << ggas.back();
}

TEST_F(ServedReceiver, FollowsItsPortInTheDeviceListAndRemovesItsLinkWhenStopped)
{
    // The program opens the port the device list names for the receiver; the link must be there.
    ASSERT_TRUE(board->clearDevices());
    ASSERT_TRUE(board->addDevice("ports", "u-blox GNSS Receiver (COM4)", ""));
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(dir.file("COM4")); }));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("COM3")));
    stop = true;
    serving.join();
    EXPECT_TRUE(served);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("COM4")));
}

TEST(GpsReceiver, RefusesToServeABoardWithoutTheReceiverInItsDeviceList)
{
    tarvik::test::TempDir dir;
    auto made = Board::create(dir.path(), "KTA");
    ASSERT_TRUE(made) << made.error();
    ASSERT_TRUE((*made)->clearDevices());
    ASSERT_TRUE((*made)->addDevice("ports", "Communications Port (COM3)", ""));
    std::atomic<bool> stop{false};
    auto serving = std::async(std::launch::async, [&] { return GpsReceiverPeer(**made).run(stop); });
    const bool ended = serving.wait_for(2s) == std::future_status::ready;
    stop = true;
    EXPECT_TRUE(ended) << "it served with no port to serve";
    EXPECT_FALSE(serving.get());
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("COM3")));
}
