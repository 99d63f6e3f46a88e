#pragma once

#include <string>
#include <sys/types.h>

namespace tarvik::test {

// A D-Bus bus of a test's own: a dbus-daemon listening on "bus" in the given folder, anyone on it
// allowed to own any name and call anything. Stopped when the object goes.
class PrivateBus {
public:
    static constexpr const char* kDaemon = "/usr/bin/dbus-daemon";

    // type: "session" or "system" (what the daemon's configuration says it is).
    explicit PrivateBus(const std::string& folder, const std::string& type = "session");
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    static bool available();
    // True once the daemon accepts connections.
    bool up() const { return up_; }
    std::string address() const { return "unix:path=" + socket_; }

private:
    std::string socket_;
    pid_t pid_ = -1;
    bool up_ = false;
};

} // namespace tarvik::test
