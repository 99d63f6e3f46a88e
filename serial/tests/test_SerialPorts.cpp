// The serial port classes against real pseudo-terminals linked as COMn in the test board's folder.
#include "FakeTtyControl.h"
#include "OpeningSequence.h"
#include "PtyPeer.h"
#include "TestSupport.h"
#include "_asyn_com.h"
#include "_sync_com.h"
#include "_thread_com.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using tarvik::test::FakeTtyControl;
using tarvik::test::PtyPeer;
using tarvik::test::threadCount;
using tarvik::test::waitFor;

namespace {

constexpr int kCom = 7;
// The user id of "nobody": the tests become it to open a line as a desktop user does.
constexpr uid_t kUnprivilegedId = 65534;

// Opens the tty at path as a user without privileges (in a child that drops root, when the tests
// run as root) and closes it again: 0 when it opened, else the open's errno.
int openUnprivileged(const std::string& path)
{
    if (getuid() != 0) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const int result = fd >= 0 ? 0 : errno;
        if (fd >= 0)
            ::close(fd);
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0)
            _exit(255);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A threaded port that only counts: its handler leaves the queue as it is and records what the
// driver held when it was called.
class CountingPort : public _thread_com {
public:
    explicit CountingPort(unsigned threshold) { m_dwNotifyNum = threshold; }
    ~CountingPort() override { close(); }
    void on_receive() override
    {
        int queued = -1;
        ioctl(handle(), FIONREAD, &queued);
        std::lock_guard lock(mutex);
        queuedAtCall.push_back(queued);
    }
    std::size_t calls()
    {
        std::lock_guard lock(mutex);
        return queuedAtCall.size();
    }
    std::mutex mutex;
    std::vector<int> queuedAtCall;
};

} // namespace

TEST(SerialPortName, KeepsTheWindowsDeviceForm)
{
    _sync_com port;
    EXPECT_EQ(port.port(), 0);
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.handle(), _base_com::kInvalidHandle);
    EXPECT_EQ(port.line_settings().DCBlength, 28u);
    EXPECT_EQ(port.line_settings().BaudRate, 0u);

    port.set_port(3);
    EXPECT_STREQ(port.port_name(), "\\\\.\\COM3");
    port.set_port(1024);
    EXPECT_STREQ(port.port_name(), "\\\\.\\COM1024");
    EXPECT_EQ(std::strlen(port.port_name()), 11u);
}

TEST(SerialOpeningSequence, RefusesNumbersOutsideOneTo1024WithoutTouchingThePort)
{
    PtyPeer peer(kCom);
    for (int number : {0, -1, 1025, -2147483647 - 1}) {
        SCOPED_TRACE(number);
        _sync_com port;
        EXPECT_FALSE(runOpeningSequence(port, number, 9600));
        EXPECT_EQ(port.port(), 0) << "set_port must not be reached";
        EXPECT_FALSE(port.is_open());
    }
}

TEST(SerialOpeningSequence, OpensRawEightNoneOneAtTheBaudRate)
{
    PtyPeer peer(kCom);
    _sync_com port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(port.line_settings().BaudRate, 9600u);
    EXPECT_EQ(port.line_settings().ByteSize, 8);
    EXPECT_EQ(port.timeouts().ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(port.timeouts().ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(port.timeouts().ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(port.timeouts().WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(port.timeouts().WriteTotalTimeoutConstant, 2000u);

    // What the driver holds, seen from another descriptor of the same tty.
    const termios t = peer.lineSettings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode: no line editing, no echo";
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
}

TEST(SerialOpeningSequence, FailsWhenThePortIsAbsent)
{
    _sync_com port;
    EXPECT_FALSE(runOpeningSequence(port, 9, 9600));
    EXPECT_EQ(port.port(), 9);
    EXPECT_FALSE(port.is_open());
}

TEST(SerialPort, SetStateReportsWhatTheDriverTook)
{
    PtyPeer peer(kCom);
    _sync_com port;
    EXPECT_FALSE(port.set_state(9600)) << "closed";
    EXPECT_FALSE(port.setup()) << "closed";
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    const struct {
        int baud;
        bool accepted;
    } cases[] = {{9600, true}, {115200, true}, {12345, true}, {0, false}, {-9600, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        EXPECT_EQ(port.set_state(c.baud), c.accepted);
    }
}

TEST(SerialPort, OpensExclusively)
{
    PtyPeer peer(kCom);
    _sync_com first;
    _asyn_com second;
    first.set_port(kCom);
    second.set_port(kCom);
    ASSERT_TRUE(first.open());
    EXPECT_FALSE(second.open()) << "the port is in use";
    EXPECT_FALSE(second.is_open());
    first.close();
    EXPECT_TRUE(second.open());
}

// The board's peers keep their end of the line open, so the tty outlives our descriptor: an
// exclusive mark left on it would refuse every later open by a user without root (EBUSY).
TEST(SerialPort, IsExclusiveWhileOpenAndReleasesTheLineWhenClosed)
{
    PtyPeer peer(kCom);
    {
        _sync_com port;
        port.set_port(kCom);
        ASSERT_TRUE(port.open());
        EXPECT_TRUE(peer.exclusive());
        ASSERT_TRUE(port.open()); // open on an open port
        EXPECT_TRUE(peer.exclusive());
    }
    EXPECT_FALSE(peer.exclusive()) << "released by the destructor";

    _thread_com port;
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    EXPECT_TRUE(peer.exclusive());
    port.close();
    EXPECT_FALSE(peer.exclusive()) << "released by close";
}

TEST(SerialPort, AUserWithoutRootCanOpenTheLineAgainAfterClose)
{
    PtyPeer peer(kCom);
    // openpty leaves the device to its owner and the tty group; let anyone try it.
    ASSERT_EQ(chmod(peer.slavePath().c_str(), 0666), 0);
    _thread_com port;
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    EXPECT_EQ(openUnprivileged(peer.slavePath()), EBUSY) << "in use while open";
    port.close();
    EXPECT_EQ(openUnprivileged(peer.slavePath()), 0);
}

TEST(SerialPort, OpenOnAnOpenPortClosesItFirst)
{
    PtyPeer peer(kCom);
    _sync_com port;
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    // Its own lock would refuse the second open if the first descriptor were still there.
    ASSERT_TRUE(port.open());
    peer.send("abc");
    ASSERT_TRUE(waitFor([&] { return peer.queued() == 3; }));
    char buf[8];
    EXPECT_EQ(port.read(buf, sizeof buf), 3);
}

TEST(SerialPort, CloseTwiceIsHarmless)
{
    PtyPeer peer(kCom);
    _thread_com port;
    port.set_port(kCom);
    port.close();
    ASSERT_TRUE(port.open());
    port.close();
    EXPECT_FALSE(port.is_open());
    port.close();
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.handle(), _base_com::kInvalidHandle);
}

// Both read variants: at most size − 1 bytes, NUL after them, the rest stays queued.
template <class Port>
class SerialRead : public testing::Test {};
using ReadingPorts = testing::Types<_sync_com, _asyn_com>;
TYPED_TEST_SUITE(SerialRead, ReadingPorts);

TYPED_TEST(SerialRead, TakesAtMostSizeMinusOneAndTerminates)
{
    PtyPeer peer(kCom);
    TypeParam port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    const std::string data("GP\0S\x80z-data", 10); // a NUL and a byte above 0x7F travel like any other
    const struct {
        int size;
        int expected;
    } cases[] = {{64, 10}, {11, 10}, {5, 4}, {2, 1}, {1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_TRUE(runOpeningSequence(port, kCom, 9600)); // fresh queue
        peer.send(data);
        ASSERT_TRUE(waitFor([&] { return peer.queued() == 10; }));
        char buf[64];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(port.read(buf, c.size), c.expected);
        EXPECT_EQ(std::string(buf, static_cast<std::size_t>(c.expected)), data.substr(0, static_cast<std::size_t>(c.expected)));
        EXPECT_EQ(buf[c.expected], '\0');
        EXPECT_EQ(buf[c.expected + 1], 'x') << "nothing written past the terminator";
        EXPECT_EQ(peer.queued(), 10 - c.expected) << "the rest stays queued";
    }
}

TYPED_TEST(SerialRead, EmptyQueueClosedPortAndNoRoomGiveZero)
{
    PtyPeer peer(kCom);
    TypeParam port;
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(port.read(buf, sizeof buf), 0) << "closed";
    EXPECT_EQ(buf[0], '\0');

    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(port.read(buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], '\0');

    peer.send("abc");
    ASSERT_TRUE(waitFor([&] { return peer.queued() == 3; }));
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(port.read(buf, 0), 0);
    EXPECT_EQ(port.read(buf, -4), 0);
    EXPECT_EQ(port.read(nullptr, 8), 0);
    EXPECT_EQ(buf[0], 'x') << "a buffer without room is not touched";
    EXPECT_EQ(peer.queued(), 3);
}

// Line errors, on a driver that counts them (a pty counts none): each kind discards what the
// receive side holds at that moment, and the read after it starts on fresh data.
template <class Port>
class SerialLineErrors : public testing::Test {};
TYPED_TEST_SUITE(SerialLineErrors, ReadingPorts);

TYPED_TEST(SerialLineErrors, AReadAfterALineErrorDiscardsOnlyTheReceiveSideAndGivesZero)
{
    FakeTtyControl tty;
    tty.countLineErrors();
    PtyPeer peer(kCom);
    TypeParam port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    const struct {
        const char* name;
        std::uint32_t LineErrorCounters::*counter;
    } kinds[] = {{"frame", &LineErrorCounters::frame},
                 {"overrun", &LineErrorCounters::overrun},
                 {"parity", &LineErrorCounters::parity},
                 {"break", &LineErrorCounters::brk},
                 {"buffer overrun", &LineErrorCounters::bufferOverrun}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        peer.send("damaged");
        ASSERT_TRUE(waitFor([&] { return peer.queued() == 7; }));
        tty.forgetPurges();
        tty.raiseLineError(kind.counter);
        char buf[16];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(port.read(buf, sizeof buf), 0);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_EQ(peer.queued(), 0) << "the bytes queued at the error are discarded";
        EXPECT_EQ(tty.purges(), (std::vector<FakeTtyControl::Purge>{{true, false}})) << "the receive side only";

        peer.send("fresh");
        ASSERT_TRUE(waitFor([&] { return peer.queued() == 5; }));
        EXPECT_EQ(port.read(buf, sizeof buf), 5);
        EXPECT_STREQ(buf, "fresh");
    }
}

TEST(SerialWrite, ALineErrorDiscardsOnlyTheTransmitSideThenTheWriteProceeds)
{
    FakeTtyControl tty;
    tty.countLineErrors();
    PtyPeer peer(kCom);
    _sync_com port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 115200));
    tty.forgetPurges();
    EXPECT_EQ(port.write("ATZ\r", 4), 4);
    EXPECT_EQ(peer.received(4, 2s), "ATZ\r");
    EXPECT_TRUE(tty.purges().empty()) << "no error, no purge";

    tty.raiseLineError(&LineErrorCounters::frame);
    EXPECT_EQ(port.write("ATI\r", 4), 4);
    EXPECT_EQ(tty.purges(), (std::vector<FakeTtyControl::Purge>{{false, true}}));
    EXPECT_EQ(peer.received(4, 2s), "ATI\r") << "the write proceeds after the purge";

    tty.forgetPurges();
    EXPECT_EQ(port.write("ATD\r", 4), 4);
    EXPECT_TRUE(tty.purges().empty()) << "an error is acted on once";
}

TEST(SerialPort, SetupDiscardsWhatWasQueuedBeforehand)
{
    PtyPeer peer(kCom);
    _sync_com port;
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    peer.send("stale bytes");
    ASSERT_TRUE(waitFor([&] { return peer.queued() == 11; }));
    ASSERT_TRUE(port.setup());
    EXPECT_EQ(peer.queued(), 0);
}

TEST(SerialWrite, SendsTheBytesAndRefusesWithoutAPortOrData)
{
    PtyPeer peer(kCom);
    _sync_com port;
    EXPECT_EQ(port.write("ATZ\r", 4), 0) << "closed";
    ASSERT_TRUE(runOpeningSequence(port, kCom, 115200));
    EXPECT_EQ(port.write(nullptr, 4), 0);
    EXPECT_EQ(port.write("ATL1\r", 5), 5);
    EXPECT_EQ(peer.received(5, 2s), "ATL1\r");
    EXPECT_EQ(port.write("", 0), 0);
}

TEST(SerialWrite, GivesUpAtTheWriteTimeOutWithWhatWasWritten)
{
    PtyPeer peer(kCom); // never reads, so the pty fills up
    _sync_com port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    port.timeouts().WriteTotalTimeoutConstant = 50; // the 2 s of the real setting, shortened
    const std::string big(1 << 20, 'w');
    const auto start = std::chrono::steady_clock::now();
    const int written = port.write(big.data(), static_cast<int>(big.size()));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(big.size()));
    EXPECT_GE(took, 45ms);
    EXPECT_LT(took, 1s);
}

TEST(SerialReader, CallsTheHandlerOnlyAboveTheThreshold)
{
    PtyPeer peer(kCom);
    CountingPort port(300);
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    peer.send(std::string(300, 'a'));
    ASSERT_TRUE(waitFor([&] { return peer.queued() == 300 && port.reader_turns() >= 1; }));
    std::this_thread::sleep_for(50ms); // let the reader finish the turn that saw 300 bytes
    EXPECT_EQ(port.calls(), 0u) << "300 queued bytes are not more than the threshold";

    peer.send("b");
    ASSERT_TRUE(waitFor([&] { return port.calls() >= 1; }));
    std::lock_guard lock(port.mutex);
    EXPECT_EQ(port.queuedAtCall.front(), 301);
}

TEST(SerialReader, WaitsForNewCharactersRatherThanSpinningOnAQueueBelowTheThreshold)
{
    PtyPeer peer(kCom);
    CountingPort port(300);
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    peer.send("12345");
    ASSERT_TRUE(waitFor([&] { return port.reader_turns() >= 1; }));
    const auto turns = port.reader_turns();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(port.reader_turns(), turns);
}

TEST(SerialReader, ABurstIsReadToItsEndWithoutWaitingForMoreCharacters)
{
    // Reads a bite of 299 bytes per call, as the GPS port does.
    class BitingPort : public _thread_com {
    public:
        BitingPort() { m_dwNotifyNum = 300; }
        ~BitingPort() override { close(); }
        void on_receive() override
        {
            char buf[300];
            taken += read(buf, sizeof buf);
        }
        std::atomic<int> taken{0};
    };
    PtyPeer peer(kCom);
    BitingPort port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    peer.send(std::string(3000, 'q')); // more than the line discipline takes at once
    // 3000 = 10 × 299 + 10: ten bites, then 10 bytes wait below the threshold.
    EXPECT_TRUE(waitFor([&] { return port.taken == 2990; }, 2s)) << port.taken;
    EXPECT_EQ(peer.queued(), 10);
}

TEST(SerialReader, BaseHandlerPostsToTheWindowElseCallsTheCallback)
{
    struct Window : _thread_com::NotificationWindow {
        void post_message(unsigned m, std::uintptr_t w, std::intptr_t l) override
        {
            message = m;
            wParam = w;
            lParam = l;
        }
        std::atomic<unsigned> message{0};
        std::atomic<std::uintptr_t> wParam{0};
        std::atomic<std::intptr_t> lParam{-1};
    };
    static std::atomic<int> callbackPort{0};
    PtyPeer peer(kCom);
    Window window;
    _thread_com port;
    port.set_callback([](int p) { callbackPort = p; });
    port.set_notification_window(&window);
    EXPECT_EQ(port.threshold(), 0u);
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    peer.send("x");
    ASSERT_TRUE(waitFor([&] { return window.message == 0x066Au; }));
    EXPECT_EQ(window.wParam, static_cast<std::uintptr_t>(kCom));
    EXPECT_EQ(window.lParam, 0);
    EXPECT_EQ(callbackPort, 0) << "the window takes precedence";

    port.set_notification_window(nullptr);
    peer.send("y");
    EXPECT_TRUE(waitFor([&] { return callbackPort == kCom; }));
}

TEST(SerialReader, OpenOnAnOpenPortEndsTheOldThreadFirst)
{
    PtyPeer peer(kCom);
    const int before = threadCount();
    CountingPort port(0);
    port.set_port(kCom);
    ASSERT_TRUE(port.open());
    EXPECT_EQ(threadCount(), before + 1);
    ASSERT_TRUE(port.open());
    EXPECT_EQ(threadCount(), before + 1);
    peer.send("z");
    EXPECT_TRUE(waitFor([&] { return port.calls() >= 1; }));
    port.close();
    EXPECT_EQ(threadCount(), before);
}

TEST(SerialReader, CloseWhileTheReaderWaitsEndsItPromptly)
{
    PtyPeer peer(kCom);
    const int before = threadCount();
    _thread_com port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    std::this_thread::sleep_for(20ms); // the reader is in its wait
    const auto start = std::chrono::steady_clock::now();
    port.close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(threadCount(), before);
}

TEST(SerialReader, CloseWaitsForARunningHandlerBeforeClosingTheDescriptor)
{
    class SlowPort : public _thread_com {
    public:
        ~SlowPort() override { close(); }
        void on_receive() override
        {
            entered = true;
            std::this_thread::sleep_for(150ms);
            char buf[16];
            readResult = read(buf, sizeof buf);
            descriptorValid = fcntl(handle(), F_GETFD) != -1;
        }
        std::atomic<bool> entered{false};
        std::atomic<int> readResult{-1};
        std::atomic<bool> descriptorValid{false};
    };
    PtyPeer peer(kCom);
    SlowPort port;
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    peer.send("hello");
    ASSERT_TRUE(waitFor([&] { return port.entered.load(); }));
    port.close();
    EXPECT_TRUE(port.descriptorValid) << "the handler ran to its end on an open descriptor";
    EXPECT_EQ(port.readResult, 5);
    EXPECT_FALSE(port.is_open());
}

TEST(SerialReader, ADeviceThatCannotBeWaitedOnEndsTheReaderAndLeavesThePortOpen)
{
    // A device that opens and takes its settings but has no wait support (a plain file standing
    // as COMn, passed for a terminal): the reader cannot set its event mask.
    FakeTtyControl tty;
    tty.acceptAnyDescriptor();
    const std::string device = tarvik::test::testBoardDir() + "/COM" + std::to_string(kCom);
    std::filesystem::remove(device);
    std::ofstream(device) << "$GPGGA,queued but never announced\r\n";
    const int before = threadCount();
    CountingPort port(0);
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    EXPECT_TRUE(waitFor([&] { return threadCount() == before; })) << "the reader thread ended";
    EXPECT_TRUE(port.is_open());
    EXPECT_EQ(port.reader_turns(), 0u) << "it never waited";
    EXPECT_EQ(port.calls(), 0u);
    const auto start = std::chrono::steady_clock::now();
    port.close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(port.is_open());
    std::filesystem::remove(device);
}

TEST(SerialReader, AVanishedPeerNeitherSpinsTheReaderNorBlocksClose)
{
    const int before = threadCount();
    CountingPort port(0);
    {
        PtyPeer peer(kCom);
        ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
        peer.send("a");
        ASSERT_TRUE(waitFor([&] { return port.calls() >= 1; }));
        peer.hangUp();
        std::this_thread::sleep_for(50ms);
        const auto turns = port.reader_turns();
        std::this_thread::sleep_for(300ms);
        // A spinning reader would have turned thousands of times; the pace allows two.
        EXPECT_LE(port.reader_turns() - turns, 2u);
        char buf[8];
        EXPECT_EQ(port.read(buf, sizeof buf), 0);
        const auto start = std::chrono::steady_clock::now();
        port.close();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    }
    EXPECT_EQ(threadCount(), before);

    // The device is back (adapter plugged in again): the next open starts afresh.
    PtyPeer again(kCom);
    ASSERT_TRUE(runOpeningSequence(port, kCom, 9600));
    const std::size_t callsBefore = port.calls();
    again.send("b");
    EXPECT_TRUE(waitFor([&] { return port.calls() > callsBefore; }));
}
