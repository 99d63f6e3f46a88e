#include "PtyPeer.h"

#include "TestSupport.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace tarvik::test {

PtyPeer::PtyPeer(int comNumber)
{
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = name;
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    linkPath_ = testBoardDir() + "/COM" + std::to_string(comNumber);
    std::filesystem::remove(linkPath_);
    std::filesystem::create_symlink(slavePath_, linkPath_);
}

PtyPeer::~PtyPeer()
{
    std::error_code ec;
    std::filesystem::remove(linkPath_, ec);
    hangUp();
    if (slave_ >= 0)
        close(slave_);
}

void PtyPeer::send(std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("pty write failed");
        done += static_cast<std::size_t>(n);
    }
}

std::string PtyPeer::received(std::size_t atLeast, std::chrono::milliseconds wait)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (got.size() < atLeast) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buf[4096];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

int PtyPeer::queued() const
{
    int n = -1;
    ioctl(slave_, FIONREAD, &n);
    return n;
}

termios PtyPeer::lineSettings() const
{
    termios t{};
    if (tcgetattr(slave_, &t) != 0)
        throw std::runtime_error("tcgetattr failed");
    return t;
}

bool PtyPeer::exclusive() const
{
    int on = 0;
    if (ioctl(slave_, TIOCGEXCL, &on) != 0)
        throw std::runtime_error("TIOCGEXCL failed");
    return on != 0;
}

void PtyPeer::hangUp()
{
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
}

bool waitFor(const std::function<bool()>& cond, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int threadCount()
{
    // A sanitizer's runtime starts a helper thread along with the process's first thread; let that
    // happen before anything is counted.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

} // namespace tarvik::test
