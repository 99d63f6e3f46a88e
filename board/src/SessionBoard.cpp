#include "SessionBoard.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace tarvik::board {

namespace {

// How often a suspend looks again whether the delay locks are gone.
constexpr std::chrono::milliseconds kDelayPollInterval{10};

void copyText(char (&to)[kInhibitorTextSize], const std::string& from)
{
    std::memset(to, 0, sizeof to);
    std::memcpy(to, from.data(), std::min(from.size(), sizeof to - 1));
}

std::string text(const char (&from)[kInhibitorTextSize]) { return std::string(from, strnlen(from, kInhibitorTextSize)); }

bool processRuns(std::int32_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

bool inhibitsSleep(const SessionInhibitor& lock, const char* mode)
{
    const std::string what = ":" + text(lock.what) + ":";
    return lock.pid != 0 && what.find(":sleep:") != std::string::npos && text(lock.mode) == mode;
}

} // namespace

SessionBoard::SessionBoard(std::string dir, std::unique_ptr<MappedState<SessionState>> memory)
    : dir_(std::move(dir)), memory_(std::move(memory))
{
}

Result<std::unique_ptr<SessionBoard>> SessionBoard::open(const std::string& dir)
{
    using R = Result<std::unique_ptr<SessionBoard>>;
    auto memory = MappedState<SessionState>::openOrCreate(dir, [](SessionState& s) {
        std::memset(&s, 0, sizeof s);
        s.ready = SessionState::kReady;
    });
    if (!memory)
        return R::failure(memory.error());
    if (!(*memory)->locked([](SessionState& s) { return s.ready == SessionState::kReady; }))
        return R::failure("login manager state file " + (*memory)->path() + " was never filled in");
    return std::unique_ptr<SessionBoard>(new SessionBoard(dir, std::move(*memory)));
}

std::string SessionBoard::sleepSignalSocket(const std::string& dir) { return dir + "/PrepareForSleep.sock"; }

void SessionBoard::recordPowerOff(std::int64_t when)
{
    memory_->locked([&](SessionState& s) {
        ++s.powerOffRequests;
        s.lastPowerOff = when;
    });
}

void SessionBoard::armWakeTimer(std::int64_t dueUtcUnits)
{
    memory_->locked([&](SessionState& s) {
        ++s.wakeTimerArms;
        s.wakeTimerDue = dueUtcUnits;
    });
}

int SessionBoard::addInhibitor(std::int32_t pid, const std::string& what, const std::string& mode, const std::string& who)
{
    return memory_->locked([&](SessionState& s) {
        for (std::size_t i = 0; i < kInhibitorSlots; ++i) {
            SessionInhibitor& slot = s.inhibitors[i];
            if (slot.pid != 0 && processRuns(slot.pid))
                continue;
            slot.pid = pid;
            copyText(slot.what, what);
            copyText(slot.mode, mode);
            copyText(slot.who, who);
            return static_cast<int>(i);
        }
        return -1;
    });
}

void SessionBoard::removeInhibitor(int slot, std::int32_t pid)
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= kInhibitorSlots)
        return;
    memory_->locked([&](SessionState& s) {
        if (s.inhibitors[slot].pid == pid)
            std::memset(&s.inhibitors[slot], 0, sizeof s.inhibitors[slot]);
    });
}

std::vector<SessionInhibitor> SessionBoard::liveInhibitors()
{
    return memory_->locked([](SessionState& s) {
        std::vector<SessionInhibitor> live;
        for (SessionInhibitor& slot : s.inhibitors) {
            if (slot.pid == 0)
                continue;
            if (!processRuns(slot.pid)) {
                std::memset(&slot, 0, sizeof slot);
                continue;
            }
            live.push_back(slot);
        }
        return live;
    });
}

std::string SessionBoard::sendSleepSignal(bool start)
{
    const std::string path = sleepSignalSocket(dir_);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return "the socket path " + path + " is too long";
    path.copy(addr.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::strerror(errno);
    const char* message = start ? kSleepStart : kSleepEnd;
    const ssize_t sent = sendto(fd, message, std::strlen(message), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr),
                                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1));
    const int error = errno;
    close(fd);
    if (sent < 0)
        return error == ENOENT || error == ECONNREFUSED ? "no program listens" : std::strerror(error);
    return {};
}

Result<std::vector<std::string>> SessionBoard::suspend(std::chrono::milliseconds maxDelay)
{
    using R = Result<std::vector<std::string>>;
    for (const SessionInhibitor& lock : liveInhibitors()) {
        if (inhibitsSleep(lock, "block"))
            return R::failure("suspend blocked by " + text(lock.who) + " (pid " + std::to_string(lock.pid) + ")");
    }
    memory_->locked([](SessionState& s) {
        s.sleeping = 1;
        ++s.suspends;
    });
    std::vector<std::string> events;
    const std::string problem = sendSleepSignal(true);
    events.push_back(problem.empty() ? "sleep signal sent" : "sleep signal not delivered: " + problem);
    const auto deadline = std::chrono::steady_clock::now() + maxDelay;
    for (;;) {
        const auto live = liveInhibitors();
        const auto delaying = std::find_if(live.begin(), live.end(), [](const SessionInhibitor& l) {
            return inhibitsSleep(l, "delay");
        });
        if (delaying == live.end())
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            events.push_back("still delayed by " + text(delaying->who) + " (pid " + std::to_string(delaying->pid) +
                             "): suspending anyway");
            break;
        }
        std::this_thread::sleep_for(kDelayPollInterval);
    }
    events.push_back("suspended");
    return events;
}

Result<std::vector<std::string>> SessionBoard::resume()
{
    memory_->locked([](SessionState& s) {
        s.sleeping = 0;
        ++s.resumes;
    });
    const std::string problem = sendSleepSignal(false);
    return std::vector<std::string>{problem.empty() ? "resumed, wake signal sent"
                                                    : "resumed, wake signal not delivered: " + problem};
}

} // namespace tarvik::board
