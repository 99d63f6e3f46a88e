#include "PortdServer.h"

#include "EcRequests.h"
#include "PortdWire.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvik::portd {

namespace {

using Clock = std::chrono::steady_clock;

struct Client {
    int fd = -1;
    bool allowed = false;
    RequestBytes buffer{};
    std::size_t got = 0;
    Clock::time_point lastActivity;
};

// Supplementary groups of the peer as they were when it connected; the /proc file of its process
// on kernels without SO_PEERGROUPS.
std::vector<gid_t> peerGroups(int fd, pid_t pid)
{
    std::vector<gid_t> groups(64);
    socklen_t len = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
#ifdef SO_PEERGROUPS
    int rc = getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &len);
    if (rc != 0 && errno == ERANGE) {
        groups.resize(len / sizeof(gid_t) + 1);
        len = static_cast<socklen_t>(groups.size() * sizeof(gid_t));
        rc = getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups.data(), &len);
    }
    if (rc == 0) {
        groups.resize(len / sizeof(gid_t));
        return groups;
    }
#endif
    groups.clear();
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Groups:", 0) != 0)
            continue;
        std::istringstream in(line.substr(7));
        long g = 0;
        while (in >> g)
            groups.push_back(static_cast<gid_t>(g));
    }
    return groups;
}

void sendAnswer(Client& c, const Answer& answer)
{
    const AnswerBytes out = encodeAnswer(answer);
    // The answer is small and the client reads one before it sends the next request, so it fits
    // the socket buffer; one that does not (a flooder not reading) loses its connection.
    if (send(c.fd, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT) != static_cast<ssize_t>(out.size())) {
        close(c.fd);
        c.fd = -1;
    }
}

void closeClient(Client& c)
{
    if (c.fd >= 0)
        close(c.fd);
    c.fd = -1;
}

// A library asks for the driver once, when its use count goes from 0 to 1; a helper started again
// by socket activation after an idle exit has not started it yet, so it does so itself before the
// first transaction.
Answer carryOutStarted(const Request& request, PortIo& ports, Sleeper& sleeper, bool& driverStarted)
{
    if (request.op != Op::Start && !driverStarted) {
        Answer start = hwaccess::carryOut(Request{Op::Start}, ports, sleeper);
        if (start.status != Status::Done) {
            start.tag = request.tag;
            return start;
        }
        driverStarted = true;
    }
    Answer answer = hwaccess::carryOut(request, ports, sleeper);
    if (request.op == Op::Start && answer.status == Status::Done)
        driverStarted = true;
    return answer;
}

} // namespace

bool peerAllowed(int fd, const ServerOptions& options)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    if (cred.uid == 0)
        return true;
    if (!options.groupKnown)
        return false;
    if (cred.gid == options.group)
        return true;
    const std::vector<gid_t> groups = peerGroups(fd, cred.pid);
    return std::find(groups.begin(), groups.end(), options.group) != groups.end();
}

int serve(const ServerOptions& options, PortIo& ports, Sleeper& sleeper)
{
    std::vector<Client> clients;
    bool driverStarted = false;
    Clock::time_point lastRequest = Clock::now();
    for (;;) {
        std::vector<pollfd> fds;
        const bool room = clients.size() < options.maxClients;
        if (room)
            for (int l : options.listenFds)
                fds.push_back({l, POLLIN, 0});
        const std::size_t firstClient = fds.size();
        for (const Client& c : clients)
            fds.push_back({c.fd, POLLIN, 0});

        const Clock::time_point now = Clock::now();
        Clock::time_point wake = Clock::time_point::max();
        if (options.idleExitMs > 0)
            wake = lastRequest + std::chrono::milliseconds(options.idleExitMs);
        for (const Client& c : clients)
            wake = std::min(wake, c.lastActivity + std::chrono::milliseconds(c.got ? options.partialRequestMs : options.quietCloseMs));
        int timeout = -1;
        if (wake != Clock::time_point::max())
            timeout = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1));

        const int ready = poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) {
            std::perror("tarvik-portd: poll");
            return 1;
        }
        const Clock::time_point after = Clock::now();

        for (std::size_t i = 0; ready > 0 && i < firstClient; ++i) {
            if (!(fds[i].revents & POLLIN) || clients.size() >= options.maxClients)
                continue;
            const int fd = accept4(fds[i].fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            clients.push_back({fd, peerAllowed(fd, options), {}, 0, after});
        }

        // One request per client per round, in turn: a flooding client cannot starve the others.
        for (std::size_t i = 0; ready > 0 && i + firstClient < fds.size(); ++i) {
            Client& c = clients[i];
            if (!(fds[i + firstClient].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = recv(c.fd, c.buffer.data() + c.got, c.buffer.size() - c.got, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0) { // gone, possibly mid-request
                closeClient(c);
                continue;
            }
            c.got += static_cast<std::size_t>(n);
            c.lastActivity = Clock::now();
            if (c.got < c.buffer.size())
                continue;
            c.got = 0;
            const Parsed parsed = parseRequest(c.buffer.data(), c.buffer.size());
            if (!c.allowed) {
                Answer denied = parsed.refusal;
                denied.status = Status::NotPermitted;
                sendAnswer(c, denied);
                closeClient(c);
                continue;
            }
            lastRequest = c.lastActivity;
            if (!parsed.request) {
                sendAnswer(c, parsed.refusal);
                if (parsed.refusal.status == Status::Malformed)
                    closeClient(c); // no way to find the next message's start
                continue;
            }
            sendAnswer(c, carryOutStarted(*parsed.request, ports, sleeper, driverStarted));
            lastRequest = c.lastActivity = Clock::now();
        }

        const Clock::time_point end = Clock::now();
        for (Client& c : clients) {
            const int limit = c.got ? options.partialRequestMs : options.quietCloseMs;
            if (c.fd >= 0 && end - c.lastActivity >= std::chrono::milliseconds(limit))
                closeClient(c);
        }
        std::erase_if(clients, [](const Client& c) { return c.fd < 0; });

        if (options.idleExitMs > 0 && end - lastRequest >= std::chrono::milliseconds(options.idleExitMs)) {
            for (Client& c : clients)
                closeClient(c);
            return 0;
        }
    }
}

} // namespace tarvik::portd
