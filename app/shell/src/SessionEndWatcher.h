#pragma once

#include <QObject>

class CTrayWnd;
class QSessionManager;
class QSocketNotifier;

// How the end of the program reaches the tray window on Linux, as Windows's close and end-of-session
// messages reach it there:
//   - SIGTERM (what the session, systemd or a shut-down sends) and SIGHUP (the terminal or session
//     went away): the session ends — OnQueryEndSession, then OnEndSession, then the window ends;
//   - SIGINT (Ctrl+C where the program was started): a close request — OnClose;
//   - the session manager's request to save (QGuiApplication::commitDataRequest): OnQueryEndSession,
//     agreeing; when the application then quits for the session (aboutToQuit without an end of our
//     own), OnEndSession.
// Signals are caught into a socket pair and handled on the interface thread, where the tray lives.
class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(CTrayWnd* tray, QObject* parent = nullptr);
    ~SessionEndWatcher() override;

    // Installs the signal handlers and connects to the application. False when the socket pair
    // cannot be made (the program then ends only by its window).
    bool Install();

    // What a caught signal does (tests call it without a signal).
    void HandleSignal(int signal);

private:
    void OnReadable();
    void OnCommitDataRequest(QSessionManager& manager);
    void OnAboutToQuit();

    CTrayWnd* m_tray;
    QSocketNotifier* m_notifier = nullptr;
};
