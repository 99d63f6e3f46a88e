// tarvik-portd: the privileged EC helper. Runs as root (or with CAP_SYS_RAWIO), opens the port
// driver and carries out, for root and the members of group "tarvik", the EC and CMOS transactions
// of the access layer's map and nothing else (wire format: platform/include/PortdWire.h).
//
//   tarvik-portd [--socket PATH] [--group NAME | --gid N] [--idle-exit MS] [--max-clients N]
//                [--request-deadline MS] [--no-delays]
//
// Without --socket it serves the sockets systemd passes (LISTEN_FDS). On the virtual board
// (TARVIK_BOARD names a board folder) it serves that board's EC, so it needs no root there;
// --no-delays, only allowed there, counts the handshake's fixed waits instead of waiting them.
#include "Platform.h"
#include "PortIo.h"
#include "PortdServer.h"
#include "Sleeper.h"

#include <cerrno>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class NoWaitSleeper final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override {}
};

int usage()
{
    std::fprintf(stderr, "usage: tarvik-portd [--socket PATH] [--group NAME | --gid N] [--idle-exit MS] "
                         "[--max-clients N] [--request-deadline MS] [--no-delays]\n");
    return 2;
}

// sd_listen_fds(): the sockets systemd opened for this process start at fd 3.
std::vector<int> passedSockets()
{
    std::vector<int> fds;
    const char* pid = std::getenv("LISTEN_PID");
    const char* count = std::getenv("LISTEN_FDS");
    if (!pid || !count || std::strtol(pid, nullptr, 10) != getpid())
        return fds;
    const long n = std::strtol(count, nullptr, 10);
    for (long i = 0; i < n && i < 16; ++i) {
        const int fd = 3 + static_cast<int>(i);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fds.push_back(fd);
    }
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    return fds;
}

int listenOn(const std::string& path, const tarvik::portd::ServerOptions& options)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        std::fprintf(stderr, "tarvik-portd: socket path too long: %s\n", path.c_str());
        return -1;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        unlink(path.c_str()); // left by a helper that ended without cleaning up
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const mode_t old = umask(0117);
    const bool bound = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    umask(old);
    if (!bound || listen(fd, SOMAXCONN) != 0) {
        std::fprintf(stderr, "tarvik-portd: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
        if (fd >= 0)
            close(fd);
        return -1;
    }
    chmod(path.c_str(), 0660);
    if (geteuid() == 0 && options.groupKnown && chown(path.c_str(), 0, options.group) != 0)
        std::fprintf(stderr, "tarvik-portd: cannot give %s to its group: %s\n", path.c_str(), std::strerror(errno));
    return fd;
}

} // namespace

int main(int argc, char** argv)
{
    tarvik::portd::ServerOptions options;
    std::string socketPath;
    std::string groupName = "tarvik";
    long gid = -1;
    bool noDelays = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--socket" && hasValue)
            socketPath = argv[++i];
        else if (a == "--group" && hasValue)
            groupName = argv[++i];
        else if (a == "--gid" && hasValue)
            gid = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--idle-exit" && hasValue)
            options.idleExitMs = std::atoi(argv[++i]);
        else if (a == "--request-deadline" && hasValue)
            options.partialRequestMs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--max-clients" && hasValue)
            options.maxClients = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else if (a == "--no-delays")
            noDelays = true;
        else
            return usage();
    }
    if (gid >= 0) {
        options.groupKnown = true;
        options.group = static_cast<gid_t>(gid);
    } else if (const group* g = getgrnam(groupName.c_str())) {
        options.groupKnown = true;
        options.group = g->gr_gid;
    } else {
        std::fprintf(stderr, "tarvik-portd: no group %s: only root is served\n", groupName.c_str());
    }

    const tarvik::Platform& platform = tarvik::Platform::instance();
    if (noDelays && !platform.isVirtual()) {
        std::fprintf(stderr, "tarvik-portd: --no-delays is for the virtual board only; the EC needs its waits\n");
        return 2;
    }

    int own = -1;
    if (!socketPath.empty()) {
        own = listenOn(socketPath, options);
        if (own < 0)
            return 1;
        options.listenFds.push_back(own);
    } else {
        options.listenFds = passedSockets();
        if (options.listenFds.empty()) {
            std::fprintf(stderr, "tarvik-portd: no socket passed by systemd and no --socket given\n");
            return usage();
        }
    }
    std::signal(SIGPIPE, SIG_IGN);

    NoWaitSleeper noWait;
    tarvik::Sleeper& sleeper = noDelays ? static_cast<tarvik::Sleeper&>(noWait) : tarvik::processSleeper();
    const int status = tarvik::portd::serve(options, tarvik::processPortIo(), sleeper);
    if (own >= 0) {
        close(own);
        unlink(socketPath.c_str());
    }
    return status;
}
