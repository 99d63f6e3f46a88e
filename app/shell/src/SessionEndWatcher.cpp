#include "SessionEndWatcher.h"

#include "CTrayWnd.h"
#include "Trace.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// [0] written by the handler, [1] read on the interface thread.
int g_signalPipe[2] = {-1, -1};
constexpr int kCaughtSignals[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[0], &byte, 1);
    errno = saved;
}

} // namespace

SessionEndWatcher::SessionEndWatcher(CTrayWnd* tray, QObject* parent) : QObject(parent), m_tray(tray) {}

SessionEndWatcher::~SessionEndWatcher()
{
    if (g_signalPipe[1] < 0)
        return;
    for (int signal : kCaughtSignals)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    close(g_signalPipe[0]);
    close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

bool SessionEndWatcher::Install()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, &SessionEndWatcher::OnCommitDataRequest,
                Qt::DirectConnection);
        connect(app, &QCoreApplication::aboutToQuit, this, &SessionEndWatcher::OnAboutToQuit);
    }
    if (g_signalPipe[1] >= 0)
        return true;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) {
        TraceMessage(L"SessionEndWatcher: no socket pair for signals; SIGTERM ends the program without its record");
        return false;
    }
    m_notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kCaughtSignals)
        sigaction(signal, &action, nullptr);
    return true;
}

void SessionEndWatcher::OnReadable()
{
    unsigned char byte = 0;
    while (read(g_signalPipe[1], &byte, 1) == 1)
        HandleSignal(byte);
}

void SessionEndWatcher::HandleSignal(int signal)
{
    if (!m_tray || m_tray->IsDestroyed())
        return;
    if (signal == SIGINT) {
        m_tray->OnClose();
        return;
    }
    m_tray->OnQueryEndSession();
    m_tray->OnEndSession(true);
    m_tray->DestroyWindow();
}

void SessionEndWatcher::OnCommitDataRequest(QSessionManager&)
{
    // Agreeing is not cancelling: the manager is left to go on.
    if (!m_tray || m_tray->IsDestroyed())
        return;
    m_tray->OnQueryEndSession();
}

void SessionEndWatcher::OnAboutToQuit()
{
    // The application quits without the window's own end: the session ended it.
    if (!m_tray || m_tray->IsDestroyed())
        return;
    m_tray->OnEndSession(true);
    m_tray->DestroyWindow();
}
