#include "BoardLoginSession.h"

#include "SessionBoard.h"
#include "TextConvert.h"
#include "TrayLine.h"
#include "Trace.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using tarvik::board::SessionBoard;

namespace {

constexpr char kWho[] = "Tarvik";
constexpr std::size_t kMaxDatagram = 64;

class BoardInhibitor final : public LoginSession::Inhibitor {
public:
    BoardInhibitor(std::shared_ptr<SessionBoard> board, int slot) : m_board(std::move(board)), m_slot(slot) {}
    ~BoardInhibitor() override { m_board->removeInhibitor(m_slot, getpid()); }

private:
    std::shared_ptr<SessionBoard> m_board;
    int m_slot;
};

std::wstring errnoText(const char* what) { return tarvik::utf8ToWide(std::string(what) + ": " + std::strerror(errno)); }

sockaddr_un socketAddress(const std::string& path, socklen_t& length)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof addr.sun_path - 1);
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + std::min(path.size(), sizeof addr.sun_path - 1) + 1);
    return addr;
}

} // namespace

BoardLoginSession::BoardLoginSession(std::string boardDir) : m_dir(std::move(boardDir)) {}

BoardLoginSession::~BoardLoginSession()
{
    if (m_socket >= 0) {
        close(m_socket);
        unlink(SessionBoard::sleepSignalSocket(m_dir).c_str());
    }
}

SessionBoard* BoardLoginSession::Board(std::wstring& error)
{
    if (!m_board) {
        auto opened = SessionBoard::open(m_dir);
        if (!opened) {
            error = tarvik::utf8ToWide(opened.error());
            return nullptr;
        }
        m_board = std::shared_ptr<SessionBoard>(std::move(*opened));
    }
    return m_board.get();
}

bool BoardLoginSession::PowerOff(std::wstring& error)
{
    SessionBoard* board = Board(error);
    if (!board)
        return false;
    board->recordPowerOff(static_cast<std::int64_t>(std::time(nullptr)));
    return true;
}

std::unique_ptr<LoginSession::Inhibitor> BoardLoginSession::Inhibit(const std::wstring& what, const std::wstring& mode,
                                                                    const std::wstring&, std::wstring& error)
{
    SessionBoard* board = Board(error);
    if (!board)
        return nullptr;
    const int slot = board->addInhibitor(getpid(), tarvik::wideToUtf8(what), tarvik::wideToUtf8(mode), kWho);
    if (slot < 0) {
        error = L"every inhibitor slot of the board is taken";
        return nullptr;
    }
    return std::make_unique<BoardInhibitor>(m_board, slot);
}

std::unique_ptr<LoginSession::SleepWatch> BoardLoginSession::WatchSleep(std::function<void(bool suspending)> handler,
                                                                        std::wstring& error)
{
    if (m_socket >= 0)
        return m_sleepHandler.Watch(std::move(handler));
    const std::string path = SessionBoard::sleepSignalSocket(m_dir);
    socklen_t length = 0;
    const sockaddr_un addr = socketAddress(path, length);
    if (path.size() >= sizeof addr.sun_path) {
        error = tarvik::utf8ToWide("the socket path " + path + " is too long");
        return nullptr;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = errnoText("socket");
        return nullptr;
    }
    int bound = bind(fd, reinterpret_cast<const sockaddr*>(&addr), length);
    if (bound != 0 && errno == EADDRINUSE) {
        // A socket nobody reads any more (its program ended) refuses a datagram: take it over.
        const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const bool alive = probe >= 0 && ::connect(probe, reinterpret_cast<const sockaddr*>(&addr), length) == 0;
        if (probe >= 0)
            close(probe);
        if (alive) {
            close(fd);
            error = tarvik::utf8ToWide("another program receives the board's sleep signal at " + path);
            return nullptr;
        }
        unlink(path.c_str());
        bound = bind(fd, reinterpret_cast<const sockaddr*>(&addr), length);
    }
    if (bound != 0) {
        error = errnoText(("bind " + path).c_str());
        close(fd);
        return nullptr;
    }
    m_socket = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnSignal(); });
    return m_sleepHandler.Watch(std::move(handler));
}

void BoardLoginSession::OnSignal()
{
    char buffer[kMaxDatagram];
    for (;;) {
        const ssize_t n = recv(m_socket, buffer, sizeof buffer, 0);
        if (n < 0)
            return; // drained (EAGAIN) or nothing to do about it
        const std::string datagram(buffer, static_cast<std::size_t>(n));
        if (datagram == SessionBoard::kSleepStart || datagram == SessionBoard::kSleepEnd) {
            m_sleepHandler(datagram == SessionBoard::kSleepStart);
        } else {
            TraceMessage(L"board login manager: unknown signal <%S> ignored", PrintableLine(datagram).c_str());
        }
    }
}
