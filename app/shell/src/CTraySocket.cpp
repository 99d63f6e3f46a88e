#include "CTraySocket.h"

#include "Platform.h"
#include "PrivateFolder.h"
#include "Trace.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char kSocketName[] = "TARVIK_TRAY_WND";
// A starting instance listens within milliseconds; asking again this often costs nothing.
constexpr int kRetryIntervalMs = 20;
constexpr int kWriteTimeoutMs = 1000;

bool peerIsOwner(const QLocalSocket* peer)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const int fd = static_cast<int>(peer->socketDescriptor());
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == getuid();
}

} // namespace

CTraySocket::CTraySocket(QWidget* tray, QObject* parent) : QObject(parent), m_tray(tray)
{
    // Owner-only: Qt binds in a private folder, sets the mode, then moves the socket into place,
    // so the socket is never reachable with wider rights.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] { OnNewConnection(); });
}

CTraySocket::~CTraySocket()
{
    // The peers are the server's children and would tell this half-destroyed object they went.
    for (QLocalSocket* peer : m_peers.keys()) {
        peer->disconnect(this);
        delete peer;
    }
    m_peers.clear();
    m_server.close();
}

QString CTraySocket::SocketPath()
{
    return QFile::decodeName(tarvik::Platform::runtimeDir().c_str()) + QLatin1Char('/') + QLatin1String(kSocketName);
}

bool CTraySocket::Listen(const QString& path)
{
    // Another user's folder could hand the socket's messages to a stand-in of theirs.
    if (const auto problem = tarvik::makePrivateFolder(QFile::encodeName(QFileInfo(path).path()).toStdString())) {
        TraceMessage(L"CTrayWnd: cannot listen at <%s>: the folder %S", path.toStdWString().c_str(), problem->c_str());
        return false;
    }
    QLocalServer::removeServer(path);
    if (!m_server.listen(path)) {
        TraceMessage(L"CTrayWnd: cannot listen at <%s>: %s", path.toStdWString().c_str(),
                     m_server.errorString().toStdWString().c_str());
        return false;
    }
    return true;
}

void CTraySocket::OnNewConnection()
{
    while (QLocalSocket* peer = m_server.nextPendingConnection()) {
        if (m_peers.size() >= kMaxPeers || !peerIsOwner(peer)) {
            TraceMessage(L"CTrayWnd: socket peer refused (%s)",
                         m_peers.size() >= kMaxPeers ? L"too many peers" : L"another user");
            peer->abort();
            peer->deleteLater();
            continue;
        }
        m_peers.insert(peer, TrayLineFramer());
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { OnReadable(peer); });
        connect(peer, &QLocalSocket::disconnected, this, [this, peer] { OnDisconnected(peer); });
        // Data may have arrived with the connection.
        OnReadable(peer);
    }
}

void CTraySocket::OnReadable(QLocalSocket* peer)
{
    auto it = m_peers.find(peer);
    if (it == m_peers.end())
        return;
    const QByteArray bytes = peer->readAll();
    for (const TrayLineFramer::Line& line : it->Feed(std::string_view(bytes.constData(), bytes.size())))
        HandleLine(line);
}

void CTraySocket::OnDisconnected(QLocalSocket* peer)
{
    auto it = m_peers.find(peer);
    if (it == m_peers.end())
        return;
    OnReadable(peer);
    if (const auto last = it->Finish())
        HandleLine(*last);
    m_peers.erase(it);
    peer->deleteLater();
}

void CTraySocket::HandleLine(const TrayLineFramer::Line& line)
{
    if (line.overlong) {
        TraceMessage(L"CTrayWnd: socket line ignored <%S>: longer than %d bytes", PrintableLine(line.text).c_str(),
                     static_cast<int>(kMaxTrayLineBytes));
        return;
    }
    const TrayLineResult result = ParseTrayLine(line.text);
    if (!result.message) {
        TraceMessage(L"CTrayWnd: socket line ignored <%S>: %S", PrintableLine(line.text).c_str(), result.problem.c_str());
        return;
    }
    PostMessage(m_tray, WM_TRAY_KEY, static_cast<WPARAM>(result.message->wParam),
                static_cast<LPARAM>(result.message->lParam));
}

bool CTraySocket::PostToTray(WPARAM wParam, LPARAM lParam, int timeoutMs, QString* error, const QString& path)
{
    // A socket in another user's folder is not the running instance's.
    if (const auto problem = tarvik::makePrivateFolder(QFile::encodeName(QFileInfo(path).path()).toStdString())) {
        if (error)
            *error = QStringLiteral("the folder ") + QString::fromStdString(*problem);
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(0, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired()) {
            if (error)
                *error = socket.errorString();
            return false;
        }
        socket.abort();
        QThread::msleep(kRetryIntervalMs);
    }
    const std::string line = FormatTrayLine(wParam, static_cast<std::uint64_t>(lParam));
    socket.write(line.data(), static_cast<qint64>(line.size()));
    if (!socket.waitForBytesWritten(kWriteTimeoutMs) && socket.bytesToWrite() > 0) {
        if (error)
            *error = socket.errorString();
        return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWriteTimeoutMs);
    return true;
}
