#pragma once

#include "TrayLine.h"
#include "WindowMessages.h"

#include <QHash>
#include <QWidget>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalSocket;

// The tray window's socket: how other processes post it 0x83E8 (a second start of the program its
// wake-up code, other programs a scan code). A local stream socket at
// $XDG_RUNTIME_DIR/tarvik/TARVIK_TRAY_WND, readable and writable by its owner only, that takes lines
// of the protocol in TrayLine.h; each message is posted to the tray window as if posted there.
// Other lines are ignored with one trace line each. A peer of another user is refused.
class CTraySocket : public QObject {
    Q_OBJECT
public:
    // At most this many peers at once; more are refused until one leaves.
    static constexpr int kMaxPeers = 16;

    explicit CTraySocket(QWidget* tray, QObject* parent = nullptr);
    ~CTraySocket() override;

    // Listens at the path, replacing a socket file left there (call it only while holding the
    // single-instance lock, so that the file is never a running instance's). The folder is made, or
    // must be, a folder of this user only (PrivateFolder.h). False, traced, when it cannot.
    bool Listen(const QString& path = SocketPath());

    // $XDG_RUNTIME_DIR/tarvik/TARVIK_TRAY_WND.
    static QString SocketPath();

    // Sends one message line to the program listening at the path, waiting up to timeoutMs for it to
    // listen (it may be starting). False, with the reason in `error`, when it cannot be delivered or
    // the socket's folder is not a folder of this user only.
    static bool PostToTray(WPARAM wParam, LPARAM lParam, int timeoutMs, QString* error = nullptr,
                           const QString& path = SocketPath());

private:
    void OnNewConnection();
    void OnReadable(QLocalSocket* peer);
    void OnDisconnected(QLocalSocket* peer);
    void HandleLine(const TrayLineFramer::Line& line);

    QPointer<QWidget> m_tray;
    QLocalServer m_server;
    QHash<QLocalSocket*, TrayLineFramer> m_peers;
};
