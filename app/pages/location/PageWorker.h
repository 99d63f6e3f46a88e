#pragma once

#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QObject;

// One worker thread of a page (the location page's GPS worker, the vehicle page's two workers).
//
// The worker never touches widgets: it hands work to the page's interface thread with Post, and
// whatever it posts is dropped once the page object is gone or the worker was stopped. Every pause
// tests the stop request and a stop wakes it at once, so the page ends it within a bounded wait and
// never has to kill it. A worker that is still inside a long library call when the bound runs out
// is left to finish on its own: it keeps its own state alive and nothing it posts arrives anywhere.
//
//   m_gpsWorker.Start([this](CPageWorker::Context& worker) {
//       while (worker.Pause(3000))
//           worker.Post([this, text = poll()] { SetItemText(kValueId, text); });
//   });
//   ...
//   m_gpsWorker.Stop();
//
// The body gets a Context, which stays valid however long the body runs (also after the page and
// its CPageWorker are gone). The body uses only what it captured by value and its Context; `this`
// of the page may be used inside posted work only, which runs on the page's thread while it lives.
class CPageWorker {
    struct State;

public:
    // The worker's side: what the body calls, on the worker thread.
    class Context {
    public:
        // True once a stop was requested.
        bool StopRequested() const;
        // Waits ms (through the pacer) or until a stop is requested. False when a stop was
        // requested (at once, without waiting, when it already was).
        bool Pause(unsigned ms);
        // Queues fn for the page's thread; dropped when the page is gone or the worker was stopped
        // by the time it would run.
        void Post(std::function<void()> fn);
        // Runs fn on the page's thread (the calls the program makes on the interface thread only,
        // such as the sensor library's) and waits until it has run (true) or a stop was requested
        // (false). fn is not run when the page is gone or the worker stopped; a stop while it runs
        // releases the worker at once, and fn then finishes on its own, so fn hands its results
        // through what it holds (a shared_ptr), never through the worker's stack.
        bool CallAndWait(std::function<void()> fn);
        // Shows the program's message box on the interface thread (whose timers keep running) and
        // waits until the user pressed OK (true), the page closed (false; a page that is a dialog
        // takes its box along) or a stop was requested (false; the box then stays for the user to
        // close). Nothing is shown when the page is gone or closed, or the worker stopped.
        bool ShowMessageAndWait(const std::wstring& text);

    private:
        friend class CPageWorker;
        explicit Context(std::shared_ptr<State> state) : m_state(std::move(state)) {}
        std::shared_ptr<State> m_state;
    };

    using Body = std::function<void(Context&)>;

    // How long a page waits for its worker when it closes or restarts it.
    static constexpr std::chrono::milliseconds kStopBound{100};
    // Worker threads of the program that have not yet ended, let-go ones included.
    static int LiveThreads();

    // The pauses of every worker go through a pacer, which is told each pause asked for and says how
    // long to wait for it. Tests install one that records the pauses and waits only milliseconds;
    // the real pacer waits what was asked.
    class Pacer {
    public:
        virtual ~Pacer() = default;
        virtual unsigned PauseMs(unsigned requestedMs) = 0;
    };
    // Replaces the process's pacer until called again with nullptr (tests).
    static void OverridePacer(Pacer* pacer);

    // page receives the posted work (on its thread, the interface thread).
    explicit CPageWorker(QObject* page);
    ~CPageWorker(); // Stop(kStopBound)
    CPageWorker(const CPageWorker&) = delete;
    CPageWorker& operator=(const CPageWorker&) = delete;

    // Runs body on a new thread. False, with nothing started, when a worker of this object still
    // runs or when the thread cannot be created.
    bool Start(Body body);
    // True from Start until the body has returned.
    bool IsRunning() const;

    // Asks the worker to stop: its pauses and message waits return false from now on, and what it
    // posted and has not run yet is dropped.
    void RequestStop();
    // RequestStop, then waits at most `bound` for the body to return. True when it has ended (or
    // none ran); false when it is still inside a call, in which case it is let go and ends by itself.
    bool Stop(std::chrono::milliseconds bound = kStopBound);

private:
    QPointer<QObject> m_page;
    std::shared_ptr<State> m_state; // the running worker's state; its thread holds it too
    std::thread m_thread;
};
