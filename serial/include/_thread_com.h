#pragma once

#include "_asyn_com.h"

#include <atomic>
#include <cstdint>
#include <thread>

// A port with a reader thread that calls on_receive when more than the threshold of bytes is
// queued. The thread waits on the port and on a cancellation event together, so close() ends it
// promptly; close() always waits for it to end before the descriptor is closed, so the handler
// never runs against a closed (or reused) descriptor.
//
// The thread is woken by each arrival of received characters, not by the queue merely holding
// some: a queue at or below the threshold waits for more characters instead of waking it again.
// A queue holding more than one handler's bite is handed to on_receive again after each call, as
// long as the call took something, so a burst is read to its end without waiting for more.
// A port whose device vanished (USB adapter pulled, pty peer gone) does not make it spin: such a
// wake-up, or a failed wait, is followed by a pause of kVanishedPortPaceMs (cut short by close);
// the thread then goes on waiting, and the owner's next open() starts afresh on the device.
//
// A subclass that replaces on_receive must call close() in its own destructor, so that the
// thread has ended before the subclass's members go.
class _thread_com : public _asyn_com {
public:
    // Message posted to the notification window on receive (WM_USER + 618).
    static constexpr unsigned kReceiveMessage = 0x066A;
    static constexpr int kVanishedPortPaceMs = 200;

    // Where the base handler posts kReceiveMessage (wParam = port number, lParam = 0).
    class NotificationWindow {
    public:
        virtual ~NotificationWindow() = default;
        virtual void post_message(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    };
    using ReceiveCallback = void (*)(int port);

    _thread_com();
    ~_thread_com() override;

    // Closes first when open (ending the old thread), opens the device and starts the reader
    // thread; false (port closed) when either fails.
    bool open() override;
    // Stops the reader thread and waits for it, then closes the descriptor; nothing when closed.
    void close() override;
    // Called on the reader thread when more than threshold() bytes are queued. This one posts to
    // the notification window if set, else calls the callback if set, else does nothing.
    virtual void on_receive();
    // Called on the reader thread at each wake-up that finds the device gone (before the pause),
    // so that a subclass can drop what no longer holds; this one does nothing.
    virtual void on_line_lost() {}

    // Either may be changed while the reader runs.
    void set_notification_window(NotificationWindow* window) { m_hNotifyWnd = window; }
    void set_callback(ReceiveCallback callback) { m_callback = callback; }
    unsigned threshold() const { return m_dwNotifyNum; }
    // Times the reader thread has come back from a wait (diagnostics: a spinning reader shows here).
    std::uint64_t reader_turns() const { return m_turns.load(); }

protected:
    unsigned m_dwNotifyNum = 0;

private:
    void reader_loop();
    // Waits up to ms for close() to cancel; true when it did.
    bool cancelled_within(int ms);
    void release_wait_set();

    std::thread m_hThreadHandle;
    std::atomic<NotificationWindow*> m_hNotifyWnd{nullptr};
    std::atomic<bool> m_bRunFlag{false};
    std::atomic<ReceiveCallback> m_callback{nullptr};
    // The wait block: the cancellation event (an eventfd) and the set the thread waits on.
    int m_cancelEvent = -1;
    int m_waitSet = -1;
    std::atomic<std::uint64_t> m_turns{0};
};
