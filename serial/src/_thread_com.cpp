#include "_thread_com.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {

void drain(int eventFd)
{
    std::uint64_t value = 0;
    while (::read(eventFd, &value, sizeof value) > 0) {
    }
}

} // namespace

_thread_com::_thread_com()
    : m_cancelEvent(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

_thread_com::~_thread_com()
{
    _thread_com::close();
    if (m_cancelEvent >= 0)
        ::close(m_cancelEvent);
}

bool _thread_com::open()
{
    if (is_open())
        close();
    if (m_cancelEvent < 0)
        m_cancelEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_cancelEvent < 0)
        return false;
    if (!open_device())
        return false;
    m_waitSet = epoll_create1(EPOLL_CLOEXEC);
    if (m_waitSet < 0) {
        _asyn_com::close();
        return false;
    }
    m_bRunFlag = true;
    try {
        m_hThreadHandle = std::thread([this] { reader_loop(); });
    } catch (const std::system_error&) {
        m_bRunFlag = false;
        release_wait_set();
        _asyn_com::close();
        return false;
    }
    return true;
}

void _thread_com::close()
{
    if (!is_open())
        return;
    m_bRunFlag = false;
    if (m_hThreadHandle.joinable()) {
        if (m_hThreadHandle.get_id() == std::this_thread::get_id()) {
            // Asked from the handler itself: the thread ends when the handler returns, and the
            // owner's next close() or open() finishes the job.
            return;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t signalled = ::write(m_cancelEvent, &one, sizeof one);
        // No time limit: the thread's turn is bounded (one wait, one handler call), and a thread
        // left running would go on using a descriptor that is about to be closed and reused.
        m_hThreadHandle.join();
    }
    release_wait_set();
    _asyn_com::close();
    drain(m_cancelEvent);
}

void _thread_com::release_wait_set()
{
    if (m_waitSet >= 0) {
        ::close(m_waitSet);
        m_waitSet = -1;
    }
}

void _thread_com::on_receive()
{
    if (NotificationWindow* window = m_hNotifyWnd.load())
        window->post_message(kReceiveMessage, static_cast<std::uintptr_t>(m_port), 0);
    else if (ReceiveCallback callback = m_callback.load())
        callback(m_port);
}

bool _thread_com::cancelled_within(int ms)
{
    pollfd p{m_cancelEvent, POLLIN, 0};
    return poll(&p, 1, ms) > 0 || !m_bRunFlag;
}

void _thread_com::reader_loop()
{
    // Edge-triggered on the port: one wake-up per arrival of characters, which is what lets a queue
    // at or below the threshold wait for more instead of waking the thread again at once.
    epoll_event portEvent{};
    portEvent.events = EPOLLIN | EPOLLET;
    portEvent.data.fd = m_hCom;
    epoll_event cancelEvent{};
    cancelEvent.events = EPOLLIN;
    cancelEvent.data.fd = m_cancelEvent;
    if (epoll_ctl(m_waitSet, EPOLL_CTL_ADD, m_cancelEvent, &cancelEvent) != 0 ||
        epoll_ctl(m_waitSet, EPOLL_CTL_ADD, m_hCom, &portEvent) != 0)
        return;

    while (m_bRunFlag && is_open()) {
        epoll_event events[2];
        const int n = epoll_wait(m_waitSet, events, 2, -1);
        ++m_turns;
        if (n < 0) {
            if (errno != EINTR && cancelled_within(kVanishedPortPaceMs))
                break;
            continue;
        }
        bool received = false;
        bool vanished = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == m_cancelEvent)
                return;
            received = received || (events[i].events & EPOLLIN);
            vanished = vanished || (events[i].events & (EPOLLERR | EPOLLHUP));
        }
        if (!m_bRunFlag)
            break;
        PortStatus status;
        const bool known = clear_comm_error(status);
        if (known && received && status.queued > m_dwNotifyNum) {
            // A backlog of several handler bites is taken bite by bite while the handler makes
            // progress. One call per wake-up would leave it queued until the next character, and
            // where the driver throttles the sender once its buffer is full (ptys, USB CDC-ACM
            // receivers) that next character never comes.
            for (;;) {
                const std::uint32_t before = status.queued;
                on_receive();
                if (!m_bRunFlag || !clear_comm_error(status) || status.queued <= m_dwNotifyNum || status.queued >= before)
                    break;
            }
        }
        if (vanished || !known) {
            on_line_lost();
            if (cancelled_within(kVanishedPortPaceMs))
                break;
        }
    }
}
