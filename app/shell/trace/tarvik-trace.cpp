// tarvik-trace: the trace-window stand-in. Binds the program's trace socket and prints every line
// the program traces, as it arrives, until interrupted.
//
//   tarvik-trace [--socket PATH]
//
// Exit status: 0 after an interrupt, 1 when the socket cannot be bound (for example because another
// listener is running, or the runtime folder is not a folder of this user), 2 on wrong arguments.

#include "PrivateFolder.h"
#include "Trace.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kMaxDatagram = 1u << 20;
volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

int usage()
{
    std::fprintf(stderr, "usage: tarvik-trace [--socket PATH]\n");
    return 2;
}

sockaddr_un addressOf(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
    return addr;
}

// A socket file left behind by a listener that died is taken over; one that still answers is not.
bool listenerAlive(const std::string& path)
{
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const sockaddr_un addr = addressOf(path);
    const bool alive = connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    close(probe);
    return alive;
}

} // namespace

int main(int argc, char** argv)
{
    std::string path = tarvik::trace::SocketPath();
    bool named = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--socket") == 0 && i + 1 < argc) {
            path = argv[++i];
            named = true;
        } else {
            return usage();
        }
    }
    sockaddr_un addr = addressOf(path);
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
        std::fprintf(stderr, "tarvik-trace: socket path too long: %s\n", path.c_str());
        return 1;
    }
    const std::string dir = path.substr(0, path.rfind('/'));
    if (!named) {
        // The program sends its lines only into a runtime folder of this user; the listener binds
        // only there too.
        if (const auto problem = tarvik::makeRuntimeFolder()) {
            std::fprintf(stderr, "tarvik-trace: the runtime folder %s\n", problem->c_str());
            return 1;
        }
    } else if (!dir.empty()) {
        mkdir(dir.c_str(), 0700);
    }
    if (listenerAlive(path)) {
        std::fprintf(stderr, "tarvik-trace: another listener is bound to %s\n", path.c_str());
        return 1;
    }
    unlink(path.c_str());

    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        std::fprintf(stderr, "tarvik-trace: cannot bind %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    chmod(path.c_str(), 0600);

    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    std::vector<char> buffer(kMaxDatagram);
    while (!g_stop) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        std::string line(buffer.data(), static_cast<std::size_t>(n));
        // Lines end in "\r\n" as the program writes them; a terminal wants "\n".
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
            line.replace(line.size() - 2, 2, "\n");
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    close(fd);
    unlink(path.c_str());
    return 0;
}
