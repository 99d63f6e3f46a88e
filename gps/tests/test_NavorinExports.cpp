// Navorin's exports against a pseudo-terminal linked as the GPS port. Every test loads the library
// afresh, so it starts as a program would find it.
#include "NavorinLibrary.h"
#include "PtyPeer.h"
#include "TestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace std::chrono_literals;
using tarvik::test::PtyPeer;
using tarvik::test::threadCount;
using tarvik::test::waitFor;

namespace {

constexpr int kDefaultPort = 3;
const std::string kTaipei = "$GPGGA,092750.000,2503.1234,N,12131.7833,E,1,08,1.03,61.7,M,55.2,M,,*76\r\n";
const std::string kSydney = "$GNGGA,102149.000,3340.8139,S,15117.4712,E,2,05,2.0,083.12,M,22.2,M,,*4F\r\n";
const std::string kLima = "$GPGGA,140000.00,1203.0000,S,07703.0000,W,1,11,0.9,154.0,M,10.0,M,,*00\r\n";
const std::string kNoFix = "$GPGGA,092751.000,,,,,0,00,99.0,,M,,M,,*48\r\n";
const std::string kNext = "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33\r\n";

// Hands content to the running library as the start of one 299-byte chunk: pads the queue to
// 299 + `leftover` bytes, which makes the reader take 299, and waits for that. The leftover must
// differ from what was queued before, or the wait could end before the bytes even arrived.
void deliver(PtyPeer& peer, const std::string& content, int leftover = 2)
{
    const int before = peer.queued();
    ASSERT_NE(before, leftover);
    ASSERT_LE(static_cast<int>(content.size()) + before, 299);
    peer.send(content + std::string(static_cast<std::size_t>(299 + leftover - before) - content.size(), ' '));
    ASSERT_TRUE(waitFor([&] { return peer.queued() == leftover; })) << "the reader did not take its chunk";
}

// Starts the library, delivers one chunk and stops it again: the stop waits for the reader, so
// the chunk is decoded when this returns.
void feed(const NavorinLibrary& lib, PtyPeer& peer, const std::string& content)
{
    ASSERT_EQ(lib.start(), 1);
    deliver(peer, content);
    lib.stop();
}

struct Position {
    int result = -1;
    double longitude = -1;
    double latitude = -1;
};

Position positionOf(const NavorinLibrary& lib)
{
    Position p;
    p.result = lib.positionDouble(&p.longitude, &p.latitude);
    return p;
}

class NavorinExports : public testing::Test {
protected:
    NavorinLibrary lib;
};

} // namespace

TEST_F(NavorinExports, AFreshLibraryHasNoFix)
{
    int count = 77;
    EXPECT_EQ(lib.satellites(&count), 0);
    EXPECT_EQ(count, 77);
    char* lon = nullptr;
    char* lat = nullptr;
    char* alt = nullptr;
    EXPECT_EQ(lib.position(&lon, &lat, &alt), 0);
    EXPECT_EQ(lon, nullptr);
    double dlon = 5, dlat = 6;
    EXPECT_EQ(lib.positionDouble(&dlon, &dlat), 0);
    EXPECT_EQ(dlon, 5);
    EXPECT_EQ(dlat, 6);
    lib.free(nullptr);
}

TEST_F(NavorinExports, StartsOnCom3At9600ByDefaultAndDecodes)
{
    PtyPeer peer(kDefaultPort);
    ASSERT_EQ(lib.start(), 1);
    const termios t = peer.lineSettings();
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
    lib.stop();

    feed(lib, peer, kTaipei + kNext);
    int count = -5;
    EXPECT_EQ(lib.satellites(&count), 1);
    EXPECT_EQ(count, 8);
    const auto texts = lib.texts();
    ASSERT_TRUE(texts.ok);
    EXPECT_EQ(texts.latitude, "N25'3'7'");
    EXPECT_EQ(texts.longitude, "E121'31'46'");
    EXPECT_EQ(texts.altitude, "61.700000");
    const Position p = positionOf(lib);
    EXPECT_EQ(p.result, 1);
    EXPECT_NEAR(p.longitude, 121.0 + 31.7833 / 60, 1e-9) << "the first argument takes the longitude";
    EXPECT_NEAR(p.latitude, 25.0 + 3.1234 / 60, 1e-9);
}

TEST_F(NavorinExports, StartFailsOutsideOneTo1024AndWithoutADevice)
{
    PtyPeer peer(kDefaultPort);
    for (int port : {0, -3, 1025, 9}) {
        SCOPED_TRACE(port);
        lib.serialPortSet(port);
        EXPECT_EQ(lib.start(), 0);
    }
    lib.serialPortSet(kDefaultPort);
    EXPECT_EQ(lib.start(), 1);
    lib.stop();
}

TEST_F(NavorinExports, SouthAndWestComeOutPositiveAndOnlyInTheTextCarryTheirLetter)
{
    PtyPeer peer(kDefaultPort);
    lib.baudRateSet(4800);
    feed(lib, peer, kLima + kNext);
    const Position p = positionOf(lib);
    EXPECT_NEAR(p.latitude, 12.05, 1e-9);
    EXPECT_NEAR(p.longitude, 77.05, 1e-9);
    const auto texts = lib.texts();
    EXPECT_EQ(texts.latitude, "S12'3'0'");
    EXPECT_EQ(texts.longitude, "W77'3'0'");
}

TEST_F(NavorinExports, NoFixFailsEveryReadingUntilTheNextFixWhichMayKeepTheOldPosition)
{
    PtyPeer peer(kDefaultPort);
    feed(lib, peer, kTaipei + kNoFix + kNext);
    int count = -5;
    EXPECT_EQ(lib.satellites(&count), 0);
    EXPECT_EQ(count, -5);
    EXPECT_FALSE(lib.texts().ok);
    EXPECT_EQ(positionOf(lib).result, 0);

    // A fix without coordinates: the stored position comes back.
    feed(lib, peer, "$GPGGA,092752.000,,N,,E,1,04,3.0,,M,,M,,*00\r\n" + kNext);
    const Position p = positionOf(lib);
    EXPECT_EQ(p.result, 1);
    EXPECT_NEAR(p.latitude, 25.0 + 3.1234 / 60, 1e-9);
    EXPECT_EQ(lib.satellites(&count), 1);
    EXPECT_EQ(count, 4);
}

TEST_F(NavorinExports, StopKeepsTheFixAndAStartTwiceRunsOneReader)
{
    PtyPeer peer(kDefaultPort);
    const int threads = threadCount();
    ASSERT_EQ(lib.start(), 1);
    ASSERT_EQ(lib.start(), 1);
    EXPECT_EQ(threadCount(), threads + 1);
    deliver(peer, kSydney + kNext);
    lib.stop();
    EXPECT_EQ(threadCount(), threads);

    const Position p = positionOf(lib);
    EXPECT_EQ(p.result, 1);
    EXPECT_NEAR(p.latitude, 33.0 + 40.8139 / 60, 1e-9);
    EXPECT_EQ(lib.texts().altitude, "83.120000");
}

TEST_F(NavorinExports, AStartThatFailsAfterOpeningStillDecodesUntilStopped)
{
    PtyPeer peer(kDefaultPort);
    const int threads = threadCount();
    lib.baudRateSet(0); // refused by the line settings
    EXPECT_EQ(lib.start(), 0);
    EXPECT_EQ(threadCount(), threads + 1);
    deliver(peer, kTaipei + kNext);
    lib.stop();
    EXPECT_EQ(threadCount(), threads);
    EXPECT_EQ(positionOf(lib).result, 1) << "decoded while the failed start left the port open";
}

TEST(NavorinLibraryInstance, UnloadingWhileTheReaderRunsEndsItAndFreesThePort)
{
    PtyPeer peer(kDefaultPort);
    const int threads = threadCount();
    {
        NavorinLibrary lib;
        ASSERT_EQ(lib.start(), 1);
        EXPECT_EQ(threadCount(), threads + 1);
    }
    EXPECT_FALSE(NavorinLibrary::loaded());
    EXPECT_EQ(threadCount(), threads);
    NavorinLibrary again;
    EXPECT_EQ(again.start(), 1) << "the port was given back";
    again.stop();
}

TEST(NavorinLibraryInstance, LoadingAndUnloadingLosesNoMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    // What the library made for itself and did not give back is unreachable once it is unloaded.
    PtyPeer peer(kDefaultPort);
    for (int i = 0; i < 3; ++i) {
        NavorinLibrary lib;
        ASSERT_EQ(lib.start(), 1);
        lib.stop();
    }
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#else
    GTEST_SKIP() << "needs LeakSanitizer (a build with TARVIK_SANITIZE)";
#endif
}

TEST(NavorinLibraryInstance, ExportsOnlyItsEightFunctions)
{
    NavorinLibrary lib;
    for (const char* hidden : {"_ZN9_base_com8set_portEi", "_ZTV11_thread_com", "_ZTV10_com_gps_ex",
                               "_ZN16NmeaChunkDecoder7receiveESt17basic_string_viewIcSt11char_traitsIcEE"}) {
        SCOPED_TRACE(hidden);
        EXPECT_EQ(lib.symbol(hidden), nullptr);
    }
    if (access("/usr/bin/nm", X_OK) != 0)
        GTEST_SKIP() << "no nm to list the dynamic symbols";
    const auto listed = tarvik::test::runCommand({"/usr/bin/nm", "-D", "--defined-only", "--format=just-symbols",
                                                  NavorinLibrary::path()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "vS_GPSBaudRateSet\nvS_GPSFree\nvS_GPSPosition\nvS_GPSPositionDouble\n"
                          "vS_GPSSatellites\nvS_GPSSerialPortSet\nvS_GPSStart\nvS_GPSStop\n");
}

TEST_F(NavorinExports, ReadersOnOtherThreadsNeverSeeTwoSentencesMixed)
{
    PtyPeer peer(kDefaultPort);
    ASSERT_EQ(lib.start(), 1);
    deliver(peer, kTaipei + kNext);
    // The chunk is taken before it is decoded: start reading once the first position is there.
    ASSERT_TRUE(waitFor([&] { return positionOf(lib).longitude > 121.0; }));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> seen{0};
    std::thread reader([&] {
        const double taipei[2] = {121.0 + 31.7833 / 60, 25.0 + 3.1234 / 60};
        const double lima[2] = {77.05, 12.05};
        while (!done) {
            const Position p = positionOf(lib);
            const bool isTaipei = std::abs(p.longitude - taipei[0]) < 1e-9 && std::abs(p.latitude - taipei[1]) < 1e-9;
            const bool isLima = std::abs(p.longitude - lima[0]) < 1e-9 && std::abs(p.latitude - lima[1]) < 1e-9;
            const auto t = lib.texts();
            const bool textsMatch = (t.latitude[0] == 'N' && t.longitude[0] == 'E') ||
                                    (t.latitude[0] == 'S' && t.longitude[0] == 'W');
            if (!(isTaipei || isLima) || !textsMatch)
                ++torn;
            ++seen;
        }
    });
    for (int i = 0; i < 100; ++i)
        deliver(peer, (i % 2 ? kTaipei : kLima) + kNext, i % 2 ? 2 : 3);
    done = true;
    reader.join();
    lib.stop();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(seen, 100);
}
