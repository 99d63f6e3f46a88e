#pragma once

#include "LoginSession.h"

#include <QObject>

#include <memory>
#include <string>

class QSocketNotifier;
namespace tarvik::board {
class SessionBoard;
}

// The login manager of the virtual board (board/include/SessionBoard.h): a power-off request, the
// locks and the wake timer are recorded in the board, where `tarvik-board show` lists them; the
// sleep signal comes from `tarvik-board suspend` and `resume` as datagrams on the board's socket,
// which this back end binds. One program per board receives the signal: a socket left by a program
// that has ended is taken over, one of a running program is left to it (and that is said).
class BoardLoginSession final : public QObject, public LoginSession {
    Q_OBJECT
public:
    explicit BoardLoginSession(std::string boardDir);
    ~BoardLoginSession() override;

    bool PowerOff(std::wstring& error) override;
    std::unique_ptr<Inhibitor> Inhibit(const std::wstring& what, const std::wstring& mode, const std::wstring& why,
                                       std::wstring& error) override;
    std::unique_ptr<SleepWatch> WatchSleep(std::function<void(bool suspending)> handler, std::wstring& error) override;

private:
    tarvik::board::SessionBoard* Board(std::wstring& error);
    void OnSignal();

    std::string m_dir;
    std::shared_ptr<tarvik::board::SessionBoard> m_board;
    int m_socket = -1;
    QSocketNotifier* m_notifier = nullptr;
    SleepHandlerSlot m_sleepHandler;
};
