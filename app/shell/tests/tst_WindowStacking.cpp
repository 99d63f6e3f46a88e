// The program's windows on a real X server (Xvfb, with and without a window manager): whatever
// brings a window forward leaves the innermost open modal window on top, and clicks made through
// the server reach it: the home screen's staying-in-front timer over an open page, a message box
// over a page that repaints, a child page over its page.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "PrivateProfile.h"
#include "ShellOperations.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// A client of the X server of its own, which asks it how the windows are stacked and clicks
// through it as a finger on the panel does.
class XServer {
public:
    XServer()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
    }
    ~XServer() { xcb_disconnect(m_connection); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    void click(QPoint at)
    {
        const auto x = static_cast<int16_t>(at.x());
        const auto y = static_cast<int16_t>(at.y());
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, x, y, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_aux_sync();
    }

    bool viewable(const QWidget* window)
    {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window->winId()), nullptr),
            &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // Of the windows given, the one the server shows in front (null when none is viewable).
    QWidget* frontmost(std::initializer_list<QWidget*> windows)
    {
        const std::vector<xcb_window_t> order = rootChildren(); // bottom to top
        QWidget* front = nullptr;
        std::ptrdiff_t frontIndex = -1;
        for (QWidget* window : windows) {
            if (!window || !window->isVisible() || !viewable(window))
                continue;
            const xcb_window_t top = topLevel(static_cast<xcb_window_t>(window->winId()));
            const auto it = std::find(order.begin(), order.end(), top);
            if (it != order.end() && it - order.begin() > frontIndex) {
                frontIndex = it - order.begin();
                front = window;
            }
        }
        return front;
    }

private:
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    std::vector<xcb_window_t> rootChildren()
    {
        std::vector<xcb_window_t> children;
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> reply(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr), &std::free);
        if (reply) {
            const xcb_window_t* list = xcb_query_tree_children(reply.get());
            children.assign(list, list + xcb_query_tree_children_length(reply.get()));
        }
        return children;
    }

    // The root's child holding the window: itself without a window manager, its frame with one.
    xcb_window_t topLevel(xcb_window_t window)
    {
        for (int depth = 0; depth < 16; ++depth) {
            std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> reply(
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr), &std::free);
            if (!reply || reply->parent == m_root || reply->parent == XCB_NONE)
                return window;
            window = reply->parent;
        }
        return window;
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
};

QPoint centreOf(const QWidget* control) { return control->mapToGlobal(control->rect().center()); }

// Steps run one after another from the event loop, also inside the modal runs their actions start
// (an action is posted, so it may block in a modal run while the later steps go on). A step waits
// until its condition holds; a check must hold at once. On a failure or after 15 s the open modal
// windows are ended so that the test unwinds and says which step it was.
class Script : public QObject {
public:
    Script& then(const QString& what, std::function<bool()> ready, std::function<void()> act = {})
    {
        m_steps.push_back({what, std::move(ready), std::move(act), false});
        return *this;
    }
    Script& check(const QString& what, std::function<bool()> holds, std::function<void()> act = {})
    {
        m_steps.push_back({what, std::move(holds), std::move(act), true});
        return *this;
    }
    Script& pause(int milliseconds)
    {
        auto since = std::make_shared<QElapsedTimer>();
        m_steps.push_back({QString("a pause of %1 ms").arg(milliseconds), [since, milliseconds] {
                               if (!since->isValid())
                                   since->start();
                               return since->elapsed() >= milliseconds;
                           },
                           {}, false});
        return *this;
    }
    void start()
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
        m_timer.start(10);
    }
    bool finished() const { return m_finished; }
    QString failure() const { return m_failure; }

private:
    struct Step {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
        bool mustHold;
    };

    void step()
    {
        if (m_finished)
            return;
        Step& current = m_steps[m_next];
        const bool ready = current.ready();
        if (!ready && (current.mustHold || m_clock.elapsed() > 15000)) {
            fail((current.mustHold ? "does not hold: " : "timed out waiting for: ") + current.what);
            return;
        }
        if (!ready)
            return;
        if (current.act)
            QTimer::singleShot(0, this, current.act);
        if (++m_next == m_steps.size()) {
            m_finished = true;
            m_timer.stop();
        }
    }

    void fail(const QString& why)
    {
        m_failure = why;
        m_finished = true;
        m_timer.stop();
        while (QWidget* modal = QApplication::activeModalWidget()) {
            auto* dialog = qobject_cast<QDialog*>(modal);
            if (!dialog)
                break;
            dialog->done(IDCANCEL);
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_finished = false;
    QString m_failure;
};

#define RUN_SCRIPT(script)                                                                                     \
    do {                                                                                                       \
        QTRY_VERIFY_WITH_TIMEOUT((script).finished(), 20000);                                                  \
        QVERIFY2((script).failure().isEmpty(), qPrintable((script).failure()));                                \
    } while (false)

// A page opened from a page, with a Home button that ends it.
class ChildPage : public CPageDlg {
public:
    static constexpr int kHomeId = 1001;
    explicit ChildPage(QWidget* parent) : CPageDlg(L"ChildPage", "IDB_MYMESSAGEBASE_L", parent) {}

protected:
    bool OnInitDialog() override
    {
        CPageDlg::OnInitDialog();
        AddHomeButton(kHomeId, 193, 170, "IDB_MYMESSAGE_OK_L", L"OnClicked_ChildHome", IDCANCEL);
        SetTitle(L"ChildPage");
        return true;
    }
};

} // namespace

class tst_WindowStacking : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        // The timer runs from the home screen's start; of its four ticks at least the last two come
        // once a page is open, even when opening the page takes two seconds on a loaded machine.
        WritePrivateProfileStringW(L"PROJECT", L"TOP_RETRY_MAX", L"4", SettingsFile());
        m_home = std::make_unique<CGX58_UtilityDlg>();
        m_home->SetTopRetryPeriod(1000);
        m_home->CreateModeless();
        QVERIFY(QTest::qWaitForWindowExposed(m_home.get()));
    }
    void cleanup()
    {
        m_home->DestroyWindow();
        m_home.reset();
    }

    // The home screen's two ticks come while the device page is open: the page stays in front with
    // the focus, and a click on its Home button ends it.
    void theHomeScreensTimerLeavesTheOpenPageInFront()
    {
        CPageDlg* page = nullptr;
        Script script;
        openDevicePage(script, page);
        script.check("two ticks to come once the page is open", [&] { return m_home->TopRetryCount() <= 2; })
            .then("the timer's last ticks", [&] { return m_home->TopRetryCount() == 4; })
            .pause(200)
            .check("the page in front of the home screen", [&] { return m_x.frontmost({m_home.get(), page}) == page; })
            .then("the focus on the page", [&] { return QApplication::activeWindow() == page; },
                  [&] { m_x.click(centreOf(page->Button(1006))); })
            .then("the page ended by its Home button", [&] { return !page->isVisible(); });
        script.start();
        RUN_SCRIPT(script);
        QCOMPARE(page->result(), int(IDCANCEL));
        QVERIFY(m_home->isVisible());
    }

    // A message box over a page that keeps repainting stays in front, and its OK closes it.
    void aMessageBoxStaysInFrontOfAPageThatRepaints()
    {
        CPageDlg* page = nullptr;
        GU_MyMessageboxDlg* box = nullptr;
        int paints = 0;
        int paintsWhenShown = 0;
        bool boxReturned = false;
        QTimer repaint;
        Script script;
        openDevicePage(script, page, [&] {
            connect(page, &CPageDlg::painted, this, [&] { ++paints; });
            QTimer::singleShot(0, this, [&] {
                ShowMessageBox(L"Over a busy page");
                boxReturned = true;
            });
        });
        script
            .then("the box shown", [&] {
                box = LastMessageBox();
                return box && box->isVisible() && m_x.viewable(box);
            })
            .pause(300)
            .check("the page quiet under the box (no paint begets another)", [&] { return paints <= 3; },
                  [&] {
                      paintsWhenShown = paints;
                      connect(&repaint, &QTimer::timeout, page, qOverload<>(&QWidget::update));
                      repaint.start(20);
                  })
            .then("ten repaints of the page", [&] { return paints >= paintsWhenShown + 10; })
            .check("the box in front", [&] { return m_x.frontmost({m_home.get(), page, box}) == box; },
                   [&] { m_x.click(centreOf(box->Button(GU_MyMessageboxDlg::kOkButtonId))); })
            .then("the box closed by its OK", [&] { return boxReturned; },
                  [&] {
                      repaint.stop();
                      m_x.click(centreOf(page->Button(1006)));
                  })
            .then("the page ended by its Home button", [&] { return !page->isVisible(); });
        script.start();
        RUN_SCRIPT(script);
    }

    // A page opened from a page stays above it when the page repaints and when the home screen
    // comes forward, keeps the focus, and takes the click at its Home button.
    void aChildPageStaysAboveItsPage()
    {
        CPageDlg* page = nullptr;
        QPointer<ChildPage> child;
        bool childReturned = false;
        Script script;
        openDevicePage(script, page, [&] {
            QTimer::singleShot(0, this, [&] {
                ChildPage opened(page);
                child = &opened;
                opened.DoModal();
                childReturned = true;
            });
        });
        script.then("the child page shown", [&] { return child && child->isVisible() && m_x.viewable(child); })
            .then("the timer's last ticks", [&] { return m_home->TopRetryCount() == 4; },
                  [&] {
                      page->update();
                      ForceForeground(m_home.get());
                  })
            .pause(200)
            .check("the child in front", [&] { return m_x.frontmost({m_home.get(), page, child}) == child; })
            .then("the focus on the child", [&] { return QApplication::activeWindow() == child; },
                  [&] { m_x.click(centreOf(child->Button(ChildPage::kHomeId))); })
            .then("the child ended by its Home button", [&] { return childReturned; })
            .pause(100)
            .check("the page in front again", [&] { return m_x.frontmost({m_home.get(), page}) == page; },
                   [&] { m_x.click(centreOf(page->Button(1006))); })
            .then("the page ended by its Home button", [&] { return !page->isVisible(); });
        script.start();
        RUN_SCRIPT(script);
    }

private:
    // Opens the device page with a click on its section button and waits until it shows in front.
    void openDevicePage(Script& script, CPageDlg*& page, std::function<void()> whenOpen = {})
    {
        script
            .then("the home screen viewable", [&] { return m_x.viewable(m_home.get()); },
                  [this] { m_x.click(centreOf(m_home->Button(CGX58_UtilityDlg::kDevInfoId))); })
            .then(
                "the device page in front",
                [this, &page] {
                    page = m_home->SectionPage(CGX58_UtilityDlg::kDevInfoId);
                    return page && page->isVisible() && m_x.frontmost({m_home.get(), page}) == page;
                },
                whenOpen);
    }

    XServer m_x;
    std::unique_ptr<CGX58_UtilityDlg> m_home;
};

TARVIK_QTEST_MAIN_X11(tst_WindowStacking)
#include "tst_WindowStacking.moc"
