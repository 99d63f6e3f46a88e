#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <termios.h>

namespace tarvik::test {

// The far end of a serial line for tests: a real pseudo-terminal whose slave is linked as COMn
// where the port classes look for it (the test board's folder). The peer keeps a descriptor of the
// slave itself, to read the port's receive queue as the driver counts it.
class PtyPeer {
public:
    explicit PtyPeer(int comNumber);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }

    // Sends bytes to the port (blocking until the pty took them all).
    void send(std::string_view bytes);
    // What the port has sent, waiting up to `wait` for at least `atLeast` bytes.
    std::string received(std::size_t atLeast, std::chrono::milliseconds wait);
    // The bytes in the port's receive queue.
    int queued() const;
    // The line settings the port left on the tty, read through the peer's own descriptor (a second
    // open would be refused to a user without root while the port holds the line).
    termios lineSettings() const;
    // Whether the tty is marked for exclusive use (TIOCEXCL), seen from the peer's own descriptor.
    bool exclusive() const;
    // The peer goes away: the master side closes and the line hangs up.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

// Polls cond every millisecond until it holds or `limit` passes; the result is the last value.
bool waitFor(const std::function<bool()>& cond, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Threads of this process, from /proc/self/task.
int threadCount();

} // namespace tarvik::test
