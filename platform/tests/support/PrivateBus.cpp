#include "PrivateBus.h"

#include <cstdio>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvik::test {

namespace {
constexpr int kReadyFd = 3;
constexpr int kReadyTimeoutMs = 10000;
} // namespace

bool PrivateBus::available() { return access(kDaemon, X_OK) == 0; }

PrivateBus::PrivateBus(const std::string& folder, const std::string& type) : socket_(folder + "/bus")
{
    const std::string config = folder + "/bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><type>"
                          << type << "</type><listen>unix:path=" << socket_
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
                             "</policy></busconfig>\n";
    const std::string log = folder + "/bus.log";
    // The daemon prints its address on this pipe once it accepts connections. The socket file
    // alone appears before that, and on a busy machine clients knocked too early.
    int ready[2];
    if (pipe(ready) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        // Its complaints (it cannot raise the descriptor limit in a container) go to a file.
        if (!freopen(log.c_str(), "w", stdout) || !freopen(log.c_str(), "a", stderr))
            _exit(127);
        if (dup2(ready[1], kReadyFd) < 0)
            _exit(127);
        const std::string option = "--config-file=" + config;
        const std::string print = "--print-address=" + std::to_string(kReadyFd);
        execl(kDaemon, "dbus-daemon", "--nofork", "--nopidfile", option.c_str(), print.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, kReadyTimeoutMs) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') {
    }
    up_ = c == '\n';
    close(ready[0]);
}

PrivateBus::~PrivateBus()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace tarvik::test
