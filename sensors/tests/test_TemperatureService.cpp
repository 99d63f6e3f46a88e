// The CPU temperature through the outside Quenmark service: against the board's simulated service
// run by `tarvik-board serve quenmark`, and frame by frame against named objects a test arranges.
#include "Board.h"
#include "Miravel.h"
#include "NamedObjects.h"
#include "QuenmarkProtocol.h"
#include "ServiceControl.h"
#include "TestSupport.h"
#include "linux/PosixNamedObjects.h"
#include "linux/UnixServiceControl.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;
using tarvik::board::Board;

// The private service path, reached as the class allows its tests to.
struct MiravelTestAccess {
    static int serviceWay(CMiravel& miravel, float* celsius) { return miravel.vSR_TempSensorValueGet_serviceWay(celsius); }
};

namespace {

constexpr std::int32_t kServiceMissing = static_cast<std::int32_t>(0x80030004);
constexpr std::int32_t kNoReading = static_cast<std::int32_t>(0x80030005);

struct Reading {
    int result;
    float celsius;
    std::int32_t error;
    std::string output;
};

Reading readThroughService()
{
    CMiravel miravel;
    Reading r{0, -1000.0f, 0, ""};
    testing::internal::CaptureStdout();
    r.result = MiravelTestAccess::serviceWay(miravel, &r.celsius);
    r.output = testing::internal::GetCapturedStdout();
    r.error = miravel.getLastErrorNumber();
    return r;
}

// `tarvik-board -d DIR serve quenmark` in a child process, up and listening once constructed.
class ServedQuenmark {
public:
    explicit ServedQuenmark(const std::string& dir)
    {
        pid_ = fork();
        if (pid_ == 0) {
            if (!freopen("/dev/null", "w", stdout))
                _exit(127);
            execl(TARVIK_BOARD_TOOL, TARVIK_BOARD_TOOL, "-d", dir.c_str(), "serve", "quenmark", static_cast<char*>(nullptr));
            _exit(127);
        }
        auto services = tarvik::serviceControlForBoard(dir);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (services->openService(quenmark::kServiceName) != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        up_ = services->openService(quenmark::kServiceName) == 0;
    }
    ~ServedQuenmark() { stop(SIGTERM); }
    ServedQuenmark(const ServedQuenmark&) = delete;
    ServedQuenmark& operator=(const ServedQuenmark&) = delete;

    bool up() const { return up_; }
    void stop(int signal)
    {
        if (pid_ <= 0)
            return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool up_ = false;
};

class TemperatureService : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(testBoardDir(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
        ASSERT_TRUE(board->setValue("CpuTemperature", "57"));
    }
    std::unique_ptr<Board> board;
};

TEST_F(TemperatureService, TheServiceAnswersWithTheCpuTemperature)
{
    ServedQuenmark service(testBoardDir());
    ASSERT_TRUE(service.up());
    const Reading r = readThroughService();
    EXPECT_EQ(r.result, 1) << r.output;
    EXPECT_EQ(r.celsius, 57.0f);
    EXPECT_EQ(r.output, "");
    ASSERT_TRUE(board->setValue("CpuTemperature", "-5"));
    EXPECT_EQ(readThroughService().celsius, -5.0f);
}

TEST_F(TemperatureService, AnAnswerWithStatusTwoIsNoReading)
{
    ASSERT_TRUE(board->setFault("quenmark-status", "2"));
    ServedQuenmark service(testBoardDir());
    ASSERT_TRUE(service.up());
    const Reading r = readThroughService();
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error, kNoReading);
    EXPECT_EQ(r.output, "Failed to get CPU Temperature, err = 0x00000002\n");
    EXPECT_EQ(r.celsius, -1000.0f) << "the out value is left alone";
}

TEST_F(TemperatureService, AServiceThatNeverAnswersIsPolledAHundredTimes)
{
    ASSERT_TRUE(board->setFault("quenmark-silent", ""));
    ServedQuenmark service(testBoardDir());
    ASSERT_TRUE(service.up());
    RecordingSleeper sleeper;
    SleeperOverride guard(sleeper);
    const Reading r = readThroughService();
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error, kNoReading);
    EXPECT_EQ(r.output, "Failed to get CPU Temperature, err = 0x00000000\n");
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>(100, 10u));
}

TEST_F(TemperatureService, NoServiceIsTheMissingServiceCode)
{
    {
        SCOPED_TRACE("never served: no service manager");
        std::filesystem::remove_all(testBoardDir() + "/services"); // as on a fresh board
        const Reading r = readThroughService();
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.error, kServiceMissing);
        EXPECT_EQ(r.output, "OpenSCManager failed w/err 0x00000002\n");
    }
    {
        SCOPED_TRACE("served, then stopped");
        ServedQuenmark service(testBoardDir());
        ASSERT_TRUE(service.up());
        service.stop(SIGTERM);
        const Reading r = readThroughService();
        EXPECT_EQ(r.error, kServiceMissing);
        EXPECT_EQ(r.output, "OpenService failed w/err 0x00000002\n");
    }
    {
        SCOPED_TRACE("crashed, leaving its socket");
        ServedQuenmark service(testBoardDir());
        ASSERT_TRUE(service.up());
        service.stop(SIGKILL);
        const Reading r = readThroughService();
        EXPECT_EQ(r.error, kServiceMissing);
        EXPECT_EQ(r.output, "OpenService failed w/err 0x0000006f\n") << "ECONNREFUSED";
        // A new start takes over what the crashed one left, and answers.
        ServedQuenmark again(testBoardDir());
        ASSERT_TRUE(again.up());
        EXPECT_EQ(readThroughService().result, 1);
    }
}

// Frame-level failures: the test plays the service's part, creating only some of its objects, on
// a scope and folder of its own, with a lock bound short enough to wait out.
class ServiceFrames : public testing::Test {
protected:
    static constexpr unsigned kLockBoundMs = 30;

    ServiceFrames()
        : objects("tarvik-test-" + std::to_string(getpid()), kLockBoundMs), services(folder.file("services"))
    {
    }
    void SetUp() override
    {
        int error = 0;
        endpoint = services.listen(quenmark::kServiceName, error);
        ASSERT_TRUE(endpoint) << error;
    }
    std::unique_ptr<tarvik::NamedMemory> frame(const char* name, std::size_t size)
    {
        int error = 0;
        auto memory = objects.createMemory(name, size, error);
        EXPECT_TRUE(memory) << error;
        return memory;
    }
    std::unique_ptr<tarvik::NamedLock> lock(const char* name)
    {
        int error = 0;
        auto l = objects.createLock(name, error);
        EXPECT_TRUE(l) << error;
        return l;
    }

    TempDir folder;
    tarvik::PosixNamedObjects objects;
    tarvik::UnixServiceControl services;
    SeamOverride<tarvik::NamedObjects, tarvik::overrideProcessNamedObjects> objectsGuard{objects};
    SeamOverride<tarvik::ServiceControl, tarvik::overrideProcessServiceControl> servicesGuard{services};
    RecordingSleeper sleeper;
    SleeperOverride sleeperGuard{sleeper};
    std::unique_ptr<tarvik::ServiceEndpoint> endpoint;
};

TEST_F(ServiceFrames, AMissingReplyFrameOrLockIsNoReading)
{
    const std::string failed = std::string("Failed to access shared memory: ") + quenmark::kReplyFrame + "\n";
    {
        SCOPED_TRACE("no frame");
        const Reading r = readThroughService();
        EXPECT_EQ(r.error, kNoReading);
        EXPECT_EQ(r.output, "Could not open file mapping object (2).\n" + failed);
    }
    {
        SCOPED_TRACE("frame without its lock");
        auto reply = frame(quenmark::kReplyFrame, sizeof(quenmark::ReplyFrame));
        const Reading r = readThroughService();
        EXPECT_EQ(r.error, kNoReading);
        EXPECT_EQ(r.output, "Could not open mutex object (2).\n" + failed);
    }
    {
        SCOPED_TRACE("a frame smaller than its size");
        auto reply = frame(quenmark::kReplyFrame, 4);
        auto replyLock = lock(quenmark::kReplyLock);
        const Reading r = readThroughService();
        EXPECT_EQ(r.error, kNoReading);
        EXPECT_EQ(r.output, "Could not map view of file (22).\n" + failed);
        EXPECT_EQ(replyLock->acquire(), tarvik::LockWait::Acquired) << "the lock was given back";
    }
}

TEST_F(ServiceFrames, ALockWhoseHolderDiedIsWaitedForOnlyUpToItsBound)
{
    auto reply = frame(quenmark::kReplyFrame, sizeof(quenmark::ReplyFrame));
    auto replyLock = lock(quenmark::kReplyLock);
    ASSERT_EQ(replyLock->acquire(), tarvik::LockWait::Acquired); // and never released
    const auto start = std::chrono::steady_clock::now();
    const Reading r = readThroughService();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.error, kNoReading);
    EXPECT_EQ(r.output, std::string("WaitForSingleObject return (258).\nFailed to access shared memory: ") +
                            quenmark::kReplyFrame + "\n");
    EXPECT_LT(waited, std::chrono::seconds(2));
}

TEST_F(ServiceFrames, WithoutACommandFrameTheCommandIsNotSentAndNoAnswerComes)
{
    auto reply = frame(quenmark::kReplyFrame, sizeof(quenmark::ReplyFrame));
    auto replyLock = lock(quenmark::kReplyLock);
    const Reading r = readThroughService();
    EXPECT_EQ(r.error, kNoReading);
    EXPECT_EQ(r.output, std::string("Could not open file mapping object (2).\nFailed to access shared memory: ") +
                            quenmark::kCommandFrame + "\nFailed to get CPU Temperature, err = 0x00000000\n");
    EXPECT_FALSE(endpoint->receive(0)) << "no control without a command";
    EXPECT_EQ(sleeper.waits().size(), 100u);
}

TEST_F(ServiceFrames, TheRequestIsMarkedAndTheCommandWrittenBeforeTheControl)
{
    auto reply = frame(quenmark::kReplyFrame, sizeof(quenmark::ReplyFrame));
    auto replyLock = lock(quenmark::kReplyLock);
    auto command = frame(quenmark::kCommandFrame, sizeof(quenmark::CommandFrame));
    auto commandLock = lock(quenmark::kCommandLock);
    int error = 0;
    auto* replyView = static_cast<quenmark::ReplyFrame*>(reply->map(sizeof(quenmark::ReplyFrame), error));
    auto* commandView = static_cast<quenmark::CommandFrame*>(command->map(sizeof(quenmark::CommandFrame), error));
    ASSERT_TRUE(replyView && commandView);
    std::memset(commandView, 0x55, sizeof *commandView);

    testing::internal::CaptureStdout();
    CMiravel miravel;
    float celsius = 0;
    MiravelTestAccess::serviceWay(miravel, &celsius);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(replyView->status, 0);
    EXPECT_EQ(replyView->value, 1);
    EXPECT_EQ(std::u16string(commandView->text), u"WmiAcpiService");
    for (std::size_t i = 15; i < quenmark::kCommandChars; ++i)
        EXPECT_EQ(commandView->text[i], u'\0') << "zero-padded at " << i;
    EXPECT_EQ(endpoint->receive(0), std::optional<std::uint32_t>(130));
}

TEST(PosixNames, WindowsNamesMapIntoTheScope)
{
    const struct {
        const char* windows;
        const char* posix;
    } cases[] = {
        {"Global\\QuenmarkFrame#WmiAcpiService", "/s.QuenmarkFrame#WmiAcpiService"},
        {"Global\\QuenmarkCommandMutex", "/s.QuenmarkCommandMutex"},
        {"Local\\Name", "/s.Name"},
        {"Plain", "/s.Plain"},
        {"Global\\a\\b/c", "/s.a_b_c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tarvik::PosixNamedObjects::posixName("s", c.windows), c.posix) << c.windows;
}

} // namespace
