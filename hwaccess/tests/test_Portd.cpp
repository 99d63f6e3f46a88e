// tarvik-portd started by the test on a private socket, serving a virtual board's EC: the
// libraries through it behave as without it, it refuses what the map does not allow and clients
// that may not ask, and it keeps serving whatever its clients do. The helper runs with
// --no-delays: it counts the handshake's fixed waits instead of waiting them, and reports them.
#include "Board.h"
#include "EcMap.h"
#include "PortHelper.h"
#include "PortdWire.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <latch>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace tarvik::test;
using tarvik::board::Board;
using tarvik::portd::Answer;
using tarvik::portd::Op;
using tarvik::portd::Request;
using tarvik::portd::Status;
namespace ecmap = tarvik::ecmap;

namespace {

int connectTo(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The helper as a child process, ended with the test unless it ended by itself.
class Helper {
public:
    Helper(const std::string& boardDir, const std::string& socket, std::vector<std::string> extra = {})
        : socket_(socket)
    {
        std::vector<std::string> argv = {TARVIK_PORTD, "--socket", socket, "--no-delays", "--gid",
                                         std::to_string(getegid())};
        argv.insert(argv.end(), extra.begin(), extra.end());
        pid_ = fork();
        if (pid_ == 0) {
            setenv("TARVIK_BOARD", boardDir.c_str(), 1);
            unsetenv("TARVIK_PORTD_SOCKET");
            std::vector<char*> args;
            for (const std::string& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        waitForSocket();
    }
    ~Helper()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Its exit status once it ended, waiting at most the given time; -1 if still running.
    int exitedWithin(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    bool running() const { return pid_ > 0 && kill(pid_, 0) == 0; }

private:
    void waitForSocket()
    {
        for (int i = 0; i < 500; ++i) {
            // Bound is not yet listening: wait until a connection is taken.
            if (const int fd = connectTo(socket_); fd >= 0) {
                close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "the helper did not listen on " << socket_;
    }

    std::string socket_;
    pid_t pid_ = -1;
};

// Reads one answer: nullopt when the helper closed the connection or 5 s passed.
std::optional<Answer> readAnswer(int fd)
{
    tarvik::portd::AnswerBytes in{};
    std::size_t got = 0;
    while (got < in.size()) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return std::nullopt;
        const ssize_t n = recv(fd, in.data() + got, in.size() - got, 0);
        if (n <= 0)
            return std::nullopt;
        got += static_cast<std::size_t>(n);
    }
    return tarvik::portd::parseAnswer(in.data(), in.size());
}

std::optional<Answer> ask(int fd, const std::vector<std::uint8_t>& bytes)
{
    if (send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size()))
        return std::nullopt;
    return readAnswer(fd);
}

std::optional<Answer> ask(int fd, const Request& r)
{
    const auto b = tarvik::portd::encodeRequest(r);
    return ask(fd, std::vector<std::uint8_t>(b.begin(), b.end()));
}

class Portd : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(boardDir_.path(), "KTA");
        ASSERT_TRUE(made) << made.error();
        board_ = std::move(*made);
    }
    std::string socketPath() const { return runDir_.file("portd.sock"); }

    TempDir boardDir_;
    TempDir runDir_;
    std::unique_ptr<Board> board_;
};

// --- the libraries through the helper ---------------------------------------------------------

class PortdLibraries : public testing::TestWithParam<const char*> {};

TEST_P(PortdLibraries, GiveTheSameResultsTracesWaitsAndDriverStartsAsDirectAccess)
{
    TempDir direct, helped, run;
    ASSERT_TRUE(Board::create(direct.path(), GetParam()));
    ASSERT_TRUE(Board::create(helped.path(), GetParam()));

    const CommandResult withoutHelper =
        runCommand({"/usr/bin/env", "-u", "TARVIK_PORTD_SOCKET", "TARVIK_BOARD=" + direct.path(), PORTD_PROBE});
    ASSERT_EQ(withoutHelper.status, 0) << withoutHelper.err;
    EXPECT_NE(withoutHelper.err.find("route: direct"), std::string::npos) << withoutHelper.err;

    const std::string socket = run.file("portd.sock");
    Helper helper(helped.path(), socket);
    const CommandResult throughHelper = runCommand(
        {"/usr/bin/env", "TARVIK_PORTD_SOCKET=" + socket, "TARVIK_BOARD=" + helped.path(), PORTD_PROBE});
    ASSERT_EQ(throughHelper.status, 0) << throughHelper.err;
    EXPECT_NE(throughHelper.err.find("route: helper"), std::string::npos) << throughHelper.err;
    EXPECT_EQ(throughHelper.err.find("helper waits 0 ms"), std::string::npos) << "the helper made the handshakes";

    EXPECT_EQ(throughHelper.out, withoutHelper.out);
    // The run covers what matters: EC commands traced, a switch without effect, no driver.
    EXPECT_NE(withoutHelper.out.find("CWinIOUtility::SendECCommand:0x"), std::string::npos);
    auto board = Board::open(direct.path());
    ASSERT_TRUE(board);
    const auto& ec = (*board)->memory().state().ec;
    const std::string version = "vDI_ECVersionNumber -> 1 value "
        + std::to_string(ec[ecmap::EC_FW_VERSION_MAJOR] * 256 + ec[ecmap::EC_FW_VERSION_MINOR]) + " error 0x0";
    EXPECT_NE(withoutHelper.out.find(version), std::string::npos) << "the EC's own version bytes";
    EXPECT_NE(withoutHelper.out.find("refused vCM_WWANPowerStatus -> 0 value 0 error 0x80000002"), std::string::npos);
    // Started once per library (Idovan after its two refusals, Telnira, Miravel); the refused
    // CTelnira and the CIdovan it asks for the model make their 11 attempts each.
    EXPECT_NE(withoutHelper.out.find("driver starts 3 refusals 24"), std::string::npos) << withoutHelper.out;
}

INSTANTIATE_TEST_SUITE_P(Models, PortdLibraries, testing::Values("KTA", "KTR", "KQS"));

// --- what it refuses -------------------------------------------------------------------------

struct RefusedCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Status status;
};

TEST_F(Portd, RefusesWhatTheMapDoesNotAllowAndKeepsTheConnectionUnlessMalformed)
{
    const std::vector<RefusedCase> cases = {
        {"EcWriteOutsideTheMap", {'T', 'P', 1, 3, 0x40, 0x55, 1, 0}, Status::Refused},
        {"EcWriteToAReadOnlyByte", {'T', 'P', 1, 3, ecmap::EC_MODULE_HW_STATUS, 0xFF, 2, 0}, Status::Refused},
        {"EcWriteToTheFirmwareVersion", {'T', 'P', 1, 3, ecmap::EC_FW_VERSION_MAJOR, 9, 3, 0}, Status::Refused},
        {"UnknownEcCommand", {'T', 'P', 1, 4, 0x99, 0, 4, 0}, Status::Refused},
        {"HostCommandAsEcCommand", {'T', 'P', 1, 4, 0x02, 0, 5, 0}, Status::Refused},
        {"CmosIndexOutsideTheMap", {'T', 'P', 1, 5, 0x10, 0, 6, 0}, Status::Refused},
        {"CmosIndexBetweenMapEntries", {'T', 'P', 1, 5, 0x62, 0, 7, 0}, Status::Refused},
        {"RawPortWrite", {'T', 'P', 1, 6, 0x6C, 0x02, 8, 0}, Status::Refused},
        {"RawPortRead", {'T', 'P', 1, 7, 0x68, 0, 9, 0}, Status::Refused},
        {"OperationZero", {'T', 'P', 1, 0, 0, 0, 10, 0}, Status::Refused},
        {"WrongMagic", {'X', 'P', 1, 2, 0x70, 0, 11, 0}, Status::Malformed},
        {"WrongVersion", {'T', 'P', 2, 2, 0x70, 0, 12, 0}, Status::Malformed},
    };
    board_->memory().state().ec[0x40] = 0x11;
    Helper helper(boardDir_.path(), socketPath());
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int fd = connectTo(socketPath());
        ASSERT_GE(fd, 0);
        const auto answer = ask(fd, c.bytes);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, c.status);
        if (c.status == Status::Refused) {
            EXPECT_EQ(answer->tag, c.bytes[6]);
            const auto next = ask(fd, Request{Op::ReadEc, ecmap::EC_FW_VERSION_MAJOR});
            ASSERT_TRUE(next) << "a refused request leaves the connection open";
            EXPECT_EQ(next->status, Status::Done);
            EXPECT_EQ(next->value, board_->memory().state().ec[ecmap::EC_FW_VERSION_MAJOR]);
        } else {
            EXPECT_FALSE(readAnswer(fd)) << "a malformed request ends the connection";
        }
        close(fd);
    }
    EXPECT_EQ(board_->memory().state().ec[0x40], 0x11) << "nothing refused reached the EC";
}

// --- who may ask -------------------------------------------------------------------------------

// Connects as another user in a child process; the exit status is the answer's status (99: none).
int askAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, const std::string& socket)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(groups.size(), groups.data()) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(98);
        const int fd = connectTo(socket);
        const auto answer = fd >= 0 ? ask(fd, Request{Op::ReadEc, 0x70}) : std::nullopt;
        _exit(answer ? static_cast<int>(answer->status) : 99);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Portd, ServesRootAndMembersOfItsGroupOnly)
{
    if (geteuid() != 0) {
        // Unprivileged: the test's own groups are all it can show.
        const gid_t notMine = 4242;
        Helper helper(boardDir_.path(), socketPath(), {"--gid", std::to_string(notMine)});
        const int fd = connectTo(socketPath());
        ASSERT_GE(fd, 0);
        const auto answer = ask(fd, Request{Op::ReadEc, 0x70});
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, Status::NotPermitted);
        EXPECT_FALSE(readAnswer(fd)) << "the connection is closed";
        close(fd);
        return;
    }
    const gid_t group = 4242;
    ASSERT_EQ(chmod(runDir_.path().c_str(), 0755), 0); // the socket's folder open to the other users
    Helper helper(boardDir_.path(), socketPath(), {"--gid", std::to_string(group)});
    struct stat st{};
    ASSERT_EQ(stat(socketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0660u);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_gid, group);

    // Opened to everyone, so that the credential check itself is what decides.
    ASSERT_EQ(chmod(socketPath().c_str(), 0666), 0);
    const int done = static_cast<int>(Status::Done);
    const int notPermitted = static_cast<int>(Status::NotPermitted);
    EXPECT_EQ(askAs(65534, 65534, {}, socketPath()), notPermitted) << "a stranger";
    EXPECT_EQ(askAs(65534, 65534, {100, group}, socketPath()), done) << "a member by a supplementary group";
    EXPECT_EQ(askAs(65534, group, {}, socketPath()), done) << "a member by the primary group";
    EXPECT_EQ(askAs(0, 0, {}, socketPath()), done) << "root";

    // Without the file's permission a stranger does not even connect.
    ASSERT_EQ(chmod(socketPath().c_str(), 0660), 0);
    EXPECT_EQ(askAs(65534, 65534, {}, socketPath()), 99);
}

// --- clients that misbehave --------------------------------------------------------------------

TEST_F(Portd, ClientKilledMidRequestOrBeforeItsAnswerLeavesItServing)
{
    Helper helper(boardDir_.path(), socketPath());
    const auto write = tarvik::portd::encodeRequest({Op::WriteEc, ecmap::EC_GPS_CONTROL, 0x01, 7});
    for (std::size_t sent : {std::size_t{3}, write.size()}) {
        SCOPED_TRACE(sent);
        const pid_t pid = fork();
        if (pid == 0) {
            const int fd = connectTo(socketPath());
            if (fd < 0 || send(fd, write.data(), sent, MSG_NOSIGNAL) != static_cast<ssize_t>(sent))
                _exit(1);
            pause(); // killed here, holding the connection
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        const int fd = connectTo(socketPath());
        ASSERT_GE(fd, 0);
        const auto answer = ask(fd, Request{Op::ReadEc, ecmap::EC_FW_VERSION_MINOR, 0, 5});
        ASSERT_TRUE(answer) << "the helper still serves";
        EXPECT_EQ(answer->status, Status::Done);
        EXPECT_EQ(answer->value, board_->memory().state().ec[ecmap::EC_FW_VERSION_MINOR]);
        close(fd);
    }
    EXPECT_EQ(board_->memory().state().ec[ecmap::EC_GPS_CONTROL] & 0x01, 0x01) << "the whole request was carried out";
    // The board is free: no transaction of the vanished client holds its lock.
    const CommandResult r = runCommand({TARVIK_BOARD_TOOL, "-d", boardDir_.path(), "ec", "bf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(helper.running());
}

TEST_F(Portd, GarbageFloodingAndSilentClientsDoNotHoldOthers)
{
    Helper helper(boardDir_.path(), socketPath());
    // Half a request and silence.
    const int silent = connectTo(socketPath());
    ASSERT_GE(silent, 0);
    ASSERT_EQ(send(silent, "TP", 2, MSG_NOSIGNAL), 2);
    // Noise: answered as malformed and cut off.
    const int noisy = connectTo(socketPath());
    ASSERT_GE(noisy, 0);
    std::vector<std::uint8_t> noise(4096);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 37 + 11);
    send(noisy, noise.data(), noise.size(), MSG_NOSIGNAL);
    // A flood of requests from a client that never reads its answers.
    const int flooder = connectTo(socketPath());
    ASSERT_GE(flooder, 0);
    const auto read = tarvik::portd::encodeRequest({Op::ReadEc, 0x70, 0, 1});
    fcntl(flooder, F_SETFL, O_NONBLOCK);
    for (int i = 0; i < 20000; ++i)
        if (send(flooder, read.data(), read.size(), MSG_NOSIGNAL) < 0)
            break;

    const int fd = connectTo(socketPath());
    ASSERT_GE(fd, 0);
    for (std::uint16_t tag = 1; tag <= 20; ++tag) {
        const auto start = std::chrono::steady_clock::now();
        const auto answer = ask(fd, Request{Op::ReadCmos, ecmap::CMOS_ANTENNA_STATUS, 0, tag});
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, Status::Done);
        EXPECT_EQ(answer->tag, tag);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
    const auto noiseAnswer = readAnswer(noisy);
    ASSERT_TRUE(noiseAnswer);
    EXPECT_EQ(noiseAnswer->status, Status::Malformed);
    EXPECT_FALSE(readAnswer(noisy)) << "closed after the malformed request";
    close(fd);
    close(noisy);
    close(flooder);
    close(silent);
    EXPECT_TRUE(helper.running());
}

TEST_F(Portd, HalfRequestsAreCutOffAndClientsBeyondTheBoundWaitForASlot)
{
    Helper helper(boardDir_.path(), socketPath(), {"--max-clients", "2", "--request-deadline", "100"});
    const int first = connectTo(socketPath());
    const int second = connectTo(socketPath());
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    ASSERT_TRUE(ask(first, Request{Op::ReadEc, 0x70})); // both taken in: the bound is reached
    ASSERT_TRUE(ask(second, Request{Op::ReadEc, 0x70}));

    // A third is held in the listen queue, unserved, while both slots are taken...
    const int third = connectTo(socketPath());
    ASSERT_GE(third, 0);
    const auto request = tarvik::portd::encodeRequest({Op::ReadCmos, ecmap::CMOS_ANTENNA_STATUS, 0, 9});
    ASSERT_EQ(send(third, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    pollfd p{third, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 150), 0) << "served beyond the bound";

    // ... until the first one, sending half a request and stopping there, is cut off.
    ASSERT_EQ(send(first, request.data(), 3, MSG_NOSIGNAL), 3);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readAnswer(first)) << "closed without an answer";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    const auto answer = readAnswer(third);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, Status::Done);
    EXPECT_EQ(answer->tag, 9);
    close(first);
    close(second);
    close(third);
}

// --- transactions under load -----------------------------------------------------------------

TEST_F(Portd, StuckEcIsBoundedForEveryClient)
{
    ASSERT_TRUE(board_->setFault("ec-status-stuck", "09"));
    Helper helper(boardDir_.path(), socketPath());
    constexpr int kClients = 8;
    const std::vector<Request> requests = {{Op::ReadEc, 0x70},
                                           {Op::WriteEc, ecmap::EC_WWAN_BASE_ADDRESS, 0x02},
                                           {Op::EcCommand, ecmap::EC_CMD_GPS_ON},
                                           {Op::ReadCmos, ecmap::CMOS_GPS_STATUS}};
    std::latch ready(kClients);
    std::atomic<int> answered{0}, wrong{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([&] {
            tarvik::PortHelperConnection connection(socketPath());
            ready.arrive_and_wait();
            for (const Request& r : requests) {
                const auto answer = connection.exchange(r);
                if (!answer || answer->status != Status::Done)
                    ++wrong;
                else if (answer->waitedMs != tarvik::portd::transactionBoundMs(r.op))
                    ++wrong; // every poll ran out, and none ran longer
                else
                    ++answered;
            }
        });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(answered, kClients * static_cast<int>(requests.size()));
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(tarvik::portd::transactionBoundMs(Op::ReadEc), 609u);
    EXPECT_EQ(tarvik::portd::transactionBoundMs(Op::EcCommand), 212u);
}

TEST_F(Portd, HundredConcurrentClientsAreServedWithoutInterleaving)
{
    Helper helper(boardDir_.path(), socketPath());
    auto& s = board_->memory().state();
    s.ec[0x70] = 0x41;
    const std::uint8_t major = s.ec[ecmap::EC_FW_VERSION_MAJOR];
    const std::uint8_t minor = s.ec[ecmap::EC_FW_VERSION_MINOR];
    const std::uint8_t antenna = s.cmos[ecmap::CMOS_ANTENNA_STATUS];

    constexpr int kClients = 100;
    std::latch connected(kClients);
    std::atomic<int> good{0}, bad{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([&, i] {
            const int fd = connectTo(socketPath());
            connected.arrive_and_wait(); // all hundred connected at once
            if (fd < 0) {
                ++bad;
                return;
            }
            // A handshake interleaved with another on the ports would hand one client another's
            // byte, or a status, instead of its own.
            const std::uint8_t mine = (i & 1) ? 0x0E : 0x06;
            for (int round = 0; round < 5; ++round) {
                const auto w = ask(fd, Request{Op::WriteEc, ecmap::EC_WWAN_BASE_ADDRESS, mine});
                const auto a = ask(fd, Request{Op::ReadEc, ecmap::EC_FW_VERSION_MAJOR});
                const auto b = ask(fd, Request{Op::ReadEc, ecmap::EC_FW_VERSION_MINOR});
                const auto t = ask(fd, Request{Op::ReadEc, 0x70});
                const auto c = ask(fd, Request{Op::ReadCmos, ecmap::CMOS_ANTENNA_STATUS});
                const bool ok = w && w->status == Status::Done && a && a->value == major && b && b->value == minor
                    && t && t->value == 0x41 && c && c->value == antenna;
                ++(ok ? good : bad);
            }
            close(fd);
        });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(good, kClients * 5);
    EXPECT_EQ(bad, 0);
    const std::uint8_t wwan = board_->memory().state().ec[ecmap::EC_WWAN_BASE_ADDRESS];
    EXPECT_TRUE(wwan == 0x0E || wwan == 0x06) << "the last whole write, not a mixture: " << int(wwan);
}

// --- lifecycle -------------------------------------------------------------------------------

TEST_F(Portd, ExitsWhenIdleAndTheLibrariesConnectionFindsTheNextOne)
{
    tarvik::PortHelperConnection connection(socketPath());
    {
        Helper helper(boardDir_.path(), socketPath(), {"--idle-exit", "150"});
        const auto answer = connection.exchange({Op::ReadEc, ecmap::EC_FW_VERSION_MAJOR});
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, Status::Done);
        EXPECT_EQ(helper.exitedWithin(std::chrono::seconds(5)), 0);
        struct stat st{};
        EXPECT_NE(stat(socketPath().c_str(), &st), 0) << "its socket is gone";
    }
    tarvik::PortHelperConnection fresh(socketPath());
    EXPECT_FALSE(fresh.exchange({Op::ReadEc, 0x70})) << "no helper: no answer";
    // Started again, as socket activation does: the connection the first one closed finds it.
    Helper again(boardDir_.path(), socketPath());
    const auto answer = connection.exchange({Op::ReadCmos, ecmap::CMOS_ANTENNA_STATUS});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, Status::Done);
    EXPECT_EQ(answer->value, board_->memory().state().cmos[ecmap::CMOS_ANTENNA_STATUS]);
}

TEST_F(Portd, ServesTheSocketSystemdPasses)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath().c_str(), sizeof addr.sun_path - 1);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 16), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(listener, 3);
        setenv("LISTEN_PID", std::to_string(getpid()).c_str(), 1);
        setenv("LISTEN_FDS", "1", 1);
        setenv("TARVIK_BOARD", boardDir_.path().c_str(), 1);
        execl(TARVIK_PORTD, TARVIK_PORTD, "--no-delays", "--idle-exit", "2000", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(listener);
    const int fd = connectTo(socketPath());
    ASSERT_GE(fd, 0);
    const auto answer = ask(fd, Request{Op::ReadEc, ecmap::EC_FW_VERSION_MINOR, 0, 3});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, Status::Done);
    EXPECT_EQ(answer->value, board_->memory().state().ec[ecmap::EC_FW_VERSION_MINOR]);
    close(fd);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

} // namespace
