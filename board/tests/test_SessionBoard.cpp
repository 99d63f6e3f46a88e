// The board's login manager: power-off records, the wake timer, inhibitor locks and the sleep
// signal that `tarvik-board suspend` and `resume` send.
#include "Board.h"
#include "SessionBoard.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;
using namespace tarvik::board;

namespace {

CommandResult tool(std::vector<std::string> args)
{
    args.insert(args.begin(), TARVIK_BOARD_TOOL);
    return runCommand(args);
}

// A subscriber to the sleep signal, as the program's back end is.
class SleepListener {
public:
    explicit SleepListener(const std::string& path)
    {
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path.copy(addr.sun_path, sizeof addr.sun_path - 1);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~SleepListener() { close(fd_); }
    bool bound() const { return bound_; }
    std::string next()
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 5000) != 1)
            return "(nothing)";
        char buffer[64];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "(error)";
    }

private:
    int fd_ = -1;
    bool bound_ = false;
};

class SessionBoardTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Board::create(dir.path(), "KTA")); }
    std::unique_ptr<SessionBoard> open()
    {
        auto s = SessionBoard::open(dir.path());
        EXPECT_TRUE(s) << s.error();
        return s ? std::move(*s) : nullptr;
    }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-d", dir.path()});
        return tool(args);
    }
    TempDir dir;
};

TEST_F(SessionBoardTest, RecordsPowerOffAndWakeTimerForShow)
{
    auto session = open();
    EXPECT_NE(on({"show"}).out.find("Power-off requests: 0\n  Wake timer: not armed"), std::string::npos);
    session->recordPowerOff(1709294400);
    session->armWakeTimer(1709294400LL * 10'000'000 + 12'000'000'000LL);
    const CommandResult shown = on({"show"});
    EXPECT_NE(shown.out.find("Power-off requests: 1, last "), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Wake timer: armed for 2024-03-01 "), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("(armed 1 times)"), std::string::npos) << shown.out;
}

TEST_F(SessionBoardTest, LocksOfEndedProcessesAreGone)
{
    auto session = open();
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    ASSERT_GE(session->addInhibitor(child, "idle", "block", "gone"), 0);
    const int mine = session->addInhibitor(getpid(), "sleep", "delay", "Tarvik");
    ASSERT_GE(mine, 0);
    auto live = session->liveInhibitors();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_STREQ(live[0].who, "Tarvik");
    EXPECT_NE(on({"show"}).out.find("    sleep delay by Tarvik (pid " + std::to_string(getpid()) + ")"),
              std::string::npos);
    session->removeInhibitor(mine, getpid() + 1); // not the holder: stays
    EXPECT_EQ(session->liveInhibitors().size(), 1u);
    session->removeInhibitor(mine, getpid());
    EXPECT_TRUE(session->liveInhibitors().empty());
}

TEST_F(SessionBoardTest, SuspendSignalsWaitsForDelayLocksAndResumeSignals)
{
    SleepListener listener(SessionBoard::sleepSignalSocket(dir.path()));
    ASSERT_TRUE(listener.bound());
    auto session = open();
    const int delay = session->addInhibitor(getpid(), "sleep", "delay", "Tarvik");
    // The subscriber does its work on the signal, then lets the suspend go on.
    std::thread subscriber([&] {
        EXPECT_EQ(listener.next(), "PrepareForSleep true");
        session->armWakeTimer(42);
        session->removeInhibitor(delay, getpid());
    });
    const CommandResult suspended = on({"suspend"});
    subscriber.join();
    EXPECT_EQ(suspended.status, 0) << suspended.err;
    EXPECT_EQ(suspended.out, "sleep signal sent\nsuspended\n");
    EXPECT_EQ(session->memory().locked([](SessionState& s) { return s.wakeTimerDue; }), 42);
    EXPECT_NE(on({"show"}).out.find("Machine: suspended (suspends 1, resumes 0)"), std::string::npos);

    const CommandResult resumed = on({"resume"});
    EXPECT_EQ(resumed.out, "resumed, wake signal sent\n");
    EXPECT_EQ(listener.next(), "PrepareForSleep false");
    EXPECT_NE(on({"show"}).out.find("Machine: running (suspends 1, resumes 1)"), std::string::npos);
}

TEST_F(SessionBoardTest, BlockLockRefusesSuspendAndNoListenerIsSaid)
{
    auto session = open();
    const int block = session->addInhibitor(getpid(), "shutdown:sleep", "block", "Tarvik");
    const CommandResult refused = on({"suspend"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("suspend blocked by Tarvik"), std::string::npos) << refused.err;
    session->removeInhibitor(block, getpid());
    // An idle lock does not hold a suspend at all.
    session->addInhibitor(getpid(), "idle", "block", "Tarvik");
    const CommandResult alone = on({"suspend"});
    EXPECT_EQ(alone.status, 0);
    EXPECT_EQ(alone.out, "sleep signal not delivered: no program listens\nsuspended\n");
    EXPECT_EQ(on({"suspend", "now"}).status, 2);
}

TEST_F(SessionBoardTest, DelayLockHeldTooLongIsOverruled)
{
    auto session = open();
    session->addInhibitor(getpid(), "sleep", "delay", "Tarvik");
    auto events = session->suspend(std::chrono::milliseconds(30));
    ASSERT_TRUE(events) << events.error();
    ASSERT_EQ(events->size(), 3u);
    EXPECT_EQ((*events)[1], "still delayed by Tarvik (pid " + std::to_string(getpid()) + "): suspending anyway");
    EXPECT_EQ((*events)[2], "suspended");
}

} // namespace
