#pragma once

#include <functional>
#include <memory>
#include <string>

// What the program needs from the operating system's login manager: an orderly power-off, inhibitor
// locks (what Windows calls the thread's execution state, and the time to arm the wake timer before
// a suspend), and the sleep signal. A seam: one back end per process — logind on the system bus on
// real hardware, the virtual board's login manager on a virtual board (so that a shut-down key of the
// simulated machine never powers off the computer the simulation runs on) — which a test may put its
// own in front of. Every operation runs on the interface thread.
class LoginSession {
public:
    // A held lock; destroying it releases the lock.
    class Inhibitor {
    public:
        virtual ~Inhibitor() = default;
    };

    virtual ~LoginSession() = default;

    // Asks for an orderly power-off: programs are told and may end themselves; never a forced one,
    // and no interactive authorisation. False, with the reason in `error`, when the request is
    // refused or cannot be made.
    virtual bool PowerOff(std::wstring& error) = 0;

    // Takes an inhibitor lock: what ("sleep", "idle", colon-separated), mode ("block" or "delay") and
    // why. Null, with the reason in `error`, when it cannot be taken.
    virtual std::unique_ptr<Inhibitor> Inhibit(const std::wstring& what, const std::wstring& mode,
                                               const std::wstring& why, std::wstring& error) = 0;

    // A subscription to the sleep signal; destroying it ends the calls. Its owner keeps it no longer
    // than the handler's captures live, since the session itself lives to the end of the process.
    class SleepWatch {
    public:
        virtual ~SleepWatch() = default;
    };

    // From now on, while the returned watch lives, calls handler(true) when the machine is about to
    // suspend and handler(false) when it has resumed; a newer watch replaces the handler. Null, with
    // the reason in `error`, when the signal cannot be received.
    virtual std::unique_ptr<SleepWatch> WatchSleep(std::function<void(bool suspending)> handler,
                                                   std::wstring& error) = 0;
};

// A back end's one sleep-signal handler, held for as long as its watch lives: the watch takes the
// handler back when it ends, also when the session has ended before it.
class SleepHandlerSlot {
public:
    std::unique_ptr<LoginSession::SleepWatch> Watch(std::function<void(bool suspending)> handler);
    // Calls the handler, if a watch holds one. The handler may end its own watch meanwhile.
    void operator()(bool suspending) const;

private:
    std::shared_ptr<std::function<void(bool)>> m_handler;
};

LoginSession& loginSession();
// Puts a login manager in front of the process's own until called with nullptr (tests).
void overrideLoginSession(LoginSession* session);
