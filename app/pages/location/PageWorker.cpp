#include "PageWorker.h"

#include "GU_MyMessageboxDlg.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>

namespace {

class RealPacer final : public CPageWorker::Pacer {
public:
    unsigned PauseMs(unsigned requestedMs) override { return requestedMs; }
};

RealPacer g_realPacer;
std::atomic<CPageWorker::Pacer*> g_pacer{&g_realPacer};

// Work posted by the workers, run by one object on the interface thread. The work itself goes
// through this queue and its mutex, not through a Qt event: the wake-up event carries nothing and
// is posted while the mutex is held, so the hand-over is ordered by a lock every tool (and
// ThreadSanitizer, which does not see inside Qt) can follow.
class WorkerMailbox final : public QObject {
public:
    using QObject::QObject;
    ~WorkerMailbox() override;
    static void Ensure(); // on the interface thread
    static void Send(std::function<void()> fn);

protected:
    void customEvent(QEvent*) override;
};

std::mutex g_mailMutex;
WorkerMailbox* g_mailbox = nullptr;            // guarded by g_mailMutex
std::deque<std::function<void()>> g_mail;      // guarded by g_mailMutex
const QEvent::Type kMailEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

WorkerMailbox::~WorkerMailbox()
{
    std::lock_guard lock(g_mailMutex);
    g_mailbox = nullptr;
    g_mail.clear();
}

void WorkerMailbox::Ensure()
{
    QCoreApplication* app = QCoreApplication::instance();
    std::lock_guard lock(g_mailMutex);
    if (!g_mailbox && app)
        g_mailbox = new WorkerMailbox(app); // lives as long as the application
}

void WorkerMailbox::Send(std::function<void()> fn)
{
    std::lock_guard lock(g_mailMutex);
    if (!g_mailbox)
        return;
    g_mail.push_back(std::move(fn));
    if (g_mail.size() == 1) // one wake-up drains everything queued behind it
        QCoreApplication::postEvent(g_mailbox, new QEvent(kMailEvent));
}

void WorkerMailbox::customEvent(QEvent*)
{
    std::deque<std::function<void()>> mail;
    {
        std::lock_guard lock(g_mailMutex);
        mail.swap(g_mail);
    }
    for (std::function<void()>& fn : mail) {
        fn();
        fn = nullptr; // released here, on this thread, after the lock ordered it
    }
}

} // namespace

struct CPageWorker::State {
    // Set on the interface thread before the thread starts and read there only (posted work).
    QPointer<QObject> page;

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;     // guarded by mutex
    bool finished = false; // guarded by mutex

    bool stopRequested() const
    {
        std::lock_guard lock(mutex);
        return stop;
    }
};

void CPageWorker::OverridePacer(Pacer* pacer) { g_pacer.store(pacer ? pacer : &g_realPacer); }

CPageWorker::CPageWorker(QObject* page) : m_page(page) { WorkerMailbox::Ensure(); }

CPageWorker::~CPageWorker() { Stop(kStopBound); }

namespace {
// Worker threads not yet at their end, let-go ones included.
std::atomic<int> g_liveThreads{0};
} // namespace

int CPageWorker::LiveThreads()
{
    return g_liveThreads.load();
}

bool CPageWorker::Start(Body body)
{
    if (IsRunning())
        return false;
    if (m_thread.joinable())
        m_thread.join(); // a body that returned by itself
    auto state = std::make_shared<State>();
    state->page = m_page;
    try {
        g_liveThreads.fetch_add(1);
        m_thread = std::thread([state, body = std::move(body)] {
            {
                Context context(state);
                body(context);
                std::lock_guard lock(state->mutex);
                state->finished = true;
                state->changed.notify_all();
            }
            g_liveThreads.fetch_sub(1);
        });
    } catch (const std::system_error&) {
        g_liveThreads.fetch_sub(1);
        return false;
    }
    m_state = std::move(state);
    return true;
}

bool CPageWorker::IsRunning() const
{
    if (!m_state)
        return false;
    std::lock_guard lock(m_state->mutex);
    return !m_state->finished;
}

void CPageWorker::RequestStop()
{
    if (!m_state)
        return;
    std::lock_guard lock(m_state->mutex);
    m_state->stop = true;
    m_state->changed.notify_all();
}

bool CPageWorker::Stop(std::chrono::milliseconds bound)
{
    if (!m_state)
        return true;
    RequestStop();
    if (m_thread.get_id() == std::this_thread::get_id())
        return false; // the body itself asked: it returns on its own
    bool ended = false;
    {
        std::unique_lock lock(m_state->mutex);
        ended = m_state->changed.wait_for(lock, bound, [this] { return m_state->finished; });
    }
    if (ended)
        m_thread.join();
    else
        m_thread.detach(); // still inside a library call: it keeps its state and ends by itself
    m_state.reset();
    return ended;
}

bool CPageWorker::Context::StopRequested() const { return m_state->stopRequested(); }

bool CPageWorker::Context::Pause(unsigned ms)
{
    if (StopRequested())
        return false;
    const unsigned wait = g_pacer.load()->PauseMs(ms);
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait_for(lock, std::chrono::milliseconds(wait), [this] { return m_state->stop; });
    return !m_state->stop;
}

void CPageWorker::Context::Post(std::function<void()> fn)
{
    WorkerMailbox::Send([state = m_state, fn = std::move(fn)] {
        if (state->page && !state->stopRequested())
            fn();
    });
}

bool CPageWorker::Context::CallAndWait(std::function<void()> fn)
{
    if (StopRequested())
        return false;
    // done is guarded by the state's mutex, so the answer and a stop wake the same wait.
    auto done = std::make_shared<bool>(false);
    Post([state = m_state, done, fn = std::move(fn)] {
        fn();
        std::lock_guard lock(state->mutex);
        *done = true;
        state->changed.notify_all();
    });
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return *done || m_state->stop; });
    return *done && !m_state->stop;
}

bool CPageWorker::Context::ShowMessageAndWait(const std::wstring& text)
{
    // Modal on the interface thread: its timers keep running while the user reads. The box belongs
    // to the page: it runs inside the page's own modal run, so a page that closes takes it along
    // instead of waiting for an OK that nobody needs any more.
    auto closedWithPage = std::make_shared<bool>(false); // written before the answer, read after it
    const bool answered = CallAndWait([state = m_state, text, closedWithPage] {
        if (auto* page = qobject_cast<QDialog*>(state->page.data()))
            *closedWithPage = ShowMessageBoxFor(page, text.c_str()) == kMessageBoxOwnerGone;
        else
            ShowMessageBox(text.c_str());
    });
    return answered && !*closedWithPage;
}
