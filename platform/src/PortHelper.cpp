#include "PortHelper.h"

#include "Platform.h"
#include "PortIo.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarvik {

std::string portdSocketPath()
{
    const char* env = std::getenv("TARVIK_PORTD_SOCKET");
    return env && *env ? std::string(env) : std::string(kDefaultPortdSocket);
}

PortHelperConnection::PortHelperConnection(std::string socketPath) : path_(std::move(socketPath)) {}

PortHelperConnection::~PortHelperConnection() { drop(); }

void PortHelperConnection::drop()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool PortHelperConnection::connectNow()
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        drop();
        return false;
    }
    return true;
}

PortHelperConnection::Sent PortHelperConnection::tryOnce(const portd::Request& request, portd::Answer& answer)
{
    if (fd_ < 0 && !connectNow())
        return Sent::Failed;
    const portd::RequestBytes out = portd::encodeRequest(request);
    if (send(fd_, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size())) {
        drop();
        return Sent::Lost;
    }
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::milliseconds(portd::transactionBoundMs(request.op) + kQueueMarginMs);
    portd::AnswerBytes in{};
    std::size_t got = 0;
    while (got < in.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            drop();
            return Sent::Failed;
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            drop();
            return Sent::Failed;
        }
        const ssize_t n = recv(fd_, in.data() + got, in.size() - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            drop();
            // Closed before any byte of the answer: the helper ended (idle) without taking the
            // request, so it may be sent again.
            return got == 0 ? Sent::Lost : Sent::Failed;
        }
        got += static_cast<std::size_t>(n);
    }
    const auto parsed = portd::parseAnswer(in.data(), in.size());
    if (!parsed || parsed->tag != request.tag) {
        drop();
        return Sent::Failed;
    }
    answer = *parsed;
    if (answer.status == portd::Status::Malformed || answer.status == portd::Status::NotPermitted)
        drop(); // the helper closes these connections
    return Sent::Answered;
}

std::optional<portd::Answer> PortHelperConnection::exchange(portd::Request request)
{
    std::lock_guard lock(mutex_);
    request.tag = nextTag_++;
    portd::Answer answer;
    Sent sent = tryOnce(request, answer);
    if (sent == Sent::Lost)
        sent = tryOnce(request, answer);
    if (sent != Sent::Answered)
        return std::nullopt;
    waitedMs_ += answer.waitedMs;
    return answer;
}

namespace {

bool isSocket(const std::string& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

} // namespace

PortHelperConnection* processPortHelper()
{
    static PortHelperConnection* const helper = []() -> PortHelperConnection* {
        const char* forced = std::getenv("TARVIK_PORTD_SOCKET");
        if (Platform::instance().isVirtual()) {
            if (!forced || !*forced)
                return nullptr;
        } else if (processPortIo().initialize() || !isSocket(portdSocketPath())) {
            return nullptr;
        }
        return new PortHelperConnection(portdSocketPath()); // never deleted: used until the process ends
    }();
    return helper;
}

} // namespace tarvik
