// The page worker: work handed to the interface thread, pauses that a stop cuts short, a bounded
// stop that lets a stuck worker go, nothing arriving after a stop or at a page that is gone, and the
// message box a worker waits on while the page's timer keeps running.

#include "QtTestEnvironment.h"

#include "CMyBitmapButton.h"
#include "GU_MyMessageboxDlg.h"
#include "PageWorker.h"
#include "RecordingPacer.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

using namespace std::chrono_literals;

namespace {

using loctest::RecordingPacer;

// The box shown last, while it is open.
GU_MyMessageboxDlg* openBox()
{
    GU_MyMessageboxDlg* box = LastMessageBox();
    return box && box->isVisible() ? box : nullptr;
}

// Acts once on the next box that opens. The box runs modally inside the interface thread's event
// processing, so only a timer (which runs inside its loop) sees it open.
class BoxWatcher : public QObject {
public:
    explicit BoxWatcher(std::function<void(GU_MyMessageboxDlg*)> onOpen) : m_onOpen(std::move(onOpen))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (GU_MyMessageboxDlg* box = openBox()) {
                m_timer.stop();
                seen = QString::fromStdWString(box->text());
                m_onOpen(box);
            }
        });
        m_timer.start(5);
    }
    QString seen;

private:
    std::function<void(GU_MyMessageboxDlg*)> m_onOpen;
    QTimer m_timer;
};

void clickOk(GU_MyMessageboxDlg* box) { QTest::mouseClick(box->Button(GU_MyMessageboxDlg::kOkButtonId), Qt::LeftButton); }

} // namespace

class tst_CPageWorker : public QObject {
    Q_OBJECT
private slots:
    void postedWorkRunsInOrderOnThePagesThread()
    {
        QObject page;
        CPageWorker worker(&page);
        std::vector<int> seen;
        std::vector<bool> onInterfaceThread;
        QVERIFY(worker.Start([&seen, &onInterfaceThread](CPageWorker::Context& context) {
            for (int i = 0; i < 5; ++i)
                context.Post([&seen, &onInterfaceThread, i] {
                    seen.push_back(i);
                    onInterfaceThread.push_back(QThread::currentThread() == qApp->thread());
                });
        }));
        QTRY_COMPARE(seen.size(), std::size_t(5));
        QCOMPARE(seen, (std::vector<int>{0, 1, 2, 3, 4}));
        QCOMPARE(onInterfaceThread, std::vector<bool>(5, true));
        QTRY_VERIFY(!worker.IsRunning());
        QVERIFY(worker.Stop());
    }

    // The pauses go through the pacer; a stop wakes a pause at once, and every later pause fails
    // without waiting.
    void aStopWakesAPauseAtOnce()
    {
        RecordingPacer pacer(60'000); // a minute each: only the stop can end it
        QObject page;
        CPageWorker worker(&page);
        std::promise<void> pausing;
        std::atomic<int> firstPause{-1};
        std::atomic<int> secondPause{-1};
        QVERIFY(worker.Start([&](CPageWorker::Context& context) {
            pausing.set_value();
            firstPause = context.Pause(2000);
            secondPause = context.Pause(3000);
        }));
        pausing.get_future().wait();
        QTest::qWait(20);
        QVERIFY(worker.IsRunning());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(worker.Stop(CPageWorker::kStopBound));
        QVERIFY2(clock.elapsed() < CPageWorker::kStopBound.count(), qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(firstPause.load(), 0);
        QCOMPARE(secondPause.load(), 0);
        // The second pause was never asked of the pacer: it failed before waiting.
        QCOMPARE(pacer.pauses(), std::vector<unsigned>{2000});
    }

    void pausesWaitWhatThePacerSays()
    {
        RecordingPacer pacer(5);
        QObject page;
        CPageWorker worker(&page);
        std::atomic<int> completed{0};
        QVERIFY(worker.Start([&](CPageWorker::Context& context) {
            for (unsigned ms : {2000u, 2000u, 3000u})
                completed += context.Pause(ms) ? 1 : 0;
        }));
        QTRY_VERIFY(!worker.IsRunning());
        QCOMPARE(completed.load(), 3);
        QCOMPARE(pacer.pauses(), (std::vector<unsigned>{2000, 2000, 3000}));
        QVERIFY(worker.Stop());
    }

    // Work posted before the stop but not run yet is dropped, and so is work posted to a page that
    // has gone before it ran.
    void nothingArrivesAfterAStopOrAtAPageThatIsGone_data()
    {
        QTest::addColumn<bool>("deletePage");
        QTest::newRow("stopped") << false;
        QTest::newRow("page gone") << true;
    }
    void nothingArrivesAfterAStopOrAtAPageThatIsGone()
    {
        QFETCH(bool, deletePage);
        auto page = std::make_unique<QObject>();
        auto worker = std::make_unique<CPageWorker>(page.get());
        std::promise<void> posted;
        bool ran = false;
        QVERIFY(worker->Start([&](CPageWorker::Context& context) {
            context.Post([&ran] { ran = true; });
            posted.set_value();
        }));
        posted.get_future().wait(); // queued, and the interface thread has not run it yet
        if (deletePage) {
            // The page goes first, its worker object later (a page that outlives its worker's
            // owner cannot happen, but the post must not depend on the order).
            page.reset();
        } else {
            QVERIFY(worker->Stop());
        }
        QTest::qWait(50);
        QVERIFY(!ran);
        worker.reset();
    }

    // A worker inside a call that ignores the stop request (a library call) is let go after the
    // bound; it ends by itself later, and what it posts then goes nowhere. The page's worker object
    // is free to start a new worker at once.
    void aWorkerStuckInACallIsLetGoAfterTheBound()
    {
        QObject page;
        CPageWorker worker(&page);
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::promise<void> inCall;
        auto ended = std::make_shared<std::atomic<bool>>(false);
        bool ran = false;
        QVERIFY(worker.Start([&ran, released, &inCall, ended](CPageWorker::Context& context) {
            inCall.set_value();
            released.wait(); // deaf to the stop request
            context.Post([&ran] { ran = true; });
            *ended = true;
        }));
        inCall.get_future().wait();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!worker.Stop(CPageWorker::kStopBound));
        QVERIFY(clock.elapsed() >= CPageWorker::kStopBound.count() - 5);
        QVERIFY(clock.elapsed() < 3 * CPageWorker::kStopBound.count());
        QVERIFY(!worker.IsRunning());

        std::atomic<int> second{0};
        QVERIFY(worker.Start([&second](CPageWorker::Context&) { second = 1; }));
        QTRY_COMPARE(second.load(), 1);

        release.set_value();
        QTRY_VERIFY(ended->load());
        QTest::qWait(30);
        QVERIFY(!ran);
        QVERIFY(worker.Stop());
    }

    void aSecondStartWhileRunningIsRefused()
    {
        QObject page;
        CPageWorker worker(&page);
        QVERIFY(worker.Start([](CPageWorker::Context& context) { context.Pause(60'000); }));
        QVERIFY(!worker.Start([](CPageWorker::Context&) {}));
        QVERIFY(worker.Stop());
        QVERIFY(worker.Start([](CPageWorker::Context&) {}));
        QTRY_VERIFY(!worker.IsRunning());
    }

    // Two workers of one page pause and stop on their own.
    void twoWorkersOfOnePageStopOnTheirOwn()
    {
        RecordingPacer pacer(60'000);
        QObject page;
        CPageWorker first(&page);
        CPageWorker second(&page);
        std::atomic<int> firstPauses{0};
        std::atomic<int> secondPauses{0};
        QVERIFY(first.Start([&](CPageWorker::Context& c) { while (c.Pause(1000)) ++firstPauses; }));
        QVERIFY(second.Start([&](CPageWorker::Context& c) { while (c.Pause(1000)) ++secondPauses; }));
        QTRY_COMPARE(int(pacer.pauses().size()), 2);
        QVERIFY(first.Stop());
        QVERIFY(!first.IsRunning());
        QVERIFY(second.IsRunning());
        QVERIFY(second.Stop());
        QCOMPARE(firstPauses.load() + secondPauses.load(), 0);
    }

    // The box is shown on the interface thread, whose timer keeps ticking while the worker waits
    // for OK; OK releases the worker with true.
    void theWorkersMessageBoxWaitsForOkWhileTimersRun()
    {
        QObject page;
        CPageWorker worker(&page);
        std::atomic<int> answer{-1};
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(5);
        int ticksWhileOpen = 0;
        int answerWhileOpen = 0;
        bool runningWhileOpen = false;
        BoxWatcher watcher([&](GU_MyMessageboxDlg* box) {
            const int before = ticks;
            QTimer::singleShot(150, box, [&, box, before] {
                ticksWhileOpen = ticks - before;
                answerWhileOpen = answer.load();
                runningWhileOpen = worker.IsRunning();
                clickOk(box);
            });
        });
        QVERIFY(worker.Start([&answer](CPageWorker::Context& context) {
            answer = context.ShowMessageAndWait(L"GPS init COM port fail!") ? 1 : 0;
        }));
        QTRY_COMPARE(answer.load(), 1);
        QCOMPARE(watcher.seen, QString("GPS init COM port fail!"));
        QVERIFY2(ticksWhileOpen >= 3, qPrintable(QString::number(ticksWhileOpen)));
        QCOMPARE(answerWhileOpen, -1);
        QVERIFY(runningWhileOpen);
        QVERIFY(worker.Stop());
    }

    // A stop releases a worker waiting for the box at once; the box stays for the user.
    void aStopReleasesAWorkerWaitingForTheBox()
    {
        QObject page;
        CPageWorker worker(&page);
        std::atomic<int> answer{-1};
        qint64 stopTook = -1;
        bool stopped = false;
        int answerAfterStop = -2;
        bool boxAfterStop = false;
        // The stop comes from inside the box's run, as a page's closing would.
        BoxWatcher watcher([&](GU_MyMessageboxDlg* box) {
            QElapsedTimer clock;
            clock.start();
            stopped = worker.Stop(CPageWorker::kStopBound);
            stopTook = clock.elapsed();
            answerAfterStop = answer.load();
            boxAfterStop = openBox() == box;
            clickOk(box);
        });
        QVERIFY(worker.Start([&answer](CPageWorker::Context& context) {
            answer = context.ShowMessageAndWait(L"GPS init COM port fail!") ? 1 : 0;
        }));
        QTRY_VERIFY(stopTook >= 0);
        QVERIFY(stopped);
        QVERIFY2(stopTook < CPageWorker::kStopBound.count(), qPrintable(QString::number(stopTook)));
        QCOMPARE(answerAfterStop, 0);
        QVERIFY(boxAfterStop);
        QTRY_VERIFY(!openBox());
    }

    // A page that closes while its workers' boxes are up (the home screen's close-down, or a second
    // box still waiting its turn) takes them along: its modal run returns without anyone pressing OK.
    void aClosingPageTakesItsWorkersBoxesAlong()
    {
        QDialog page;
        CPageWorker first(&page);
        CPageWorker second(&page);
        std::atomic<int> firstAnswer{-1};
        std::atomic<int> secondAnswer{-1};
        QStringList shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            GU_MyMessageboxDlg* box = openBox();
            if (!box || shown.contains(QString::fromStdWString(box->text())))
                return;
            shown << QString::fromStdWString(box->text());
            // Close the page once the second box is queued behind the first.
            QTimer::singleShot(50, &page, [&page] { page.done(IDCANCEL); });
        });
        watch.start(5);
        QTimer::singleShot(0, &page, [&] {
            QVERIFY(first.Start([&firstAnswer](CPageWorker::Context& context) {
                firstAnswer = context.ShowMessageAndWait(L"first") ? 1 : 0;
            }));
            QVERIFY(second.Start([&secondAnswer](CPageWorker::Context& context) {
                secondAnswer = context.ShowMessageAndWait(L"second") ? 1 : 0;
            }));
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(page.exec(), int(IDCANCEL));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(shown.size(), 1);
        QVERIFY(!openBox());
        QTRY_COMPARE(firstAnswer.load(), 0);
        QTRY_COMPARE(secondAnswer.load(), 0);
        QTest::qWait(30);
        QCOMPARE(shown.size(), 1); // the box still waiting never opens once its page has closed
        QVERIFY(first.Stop());
        QVERIFY(second.Stop());
    }

    void aStoppedWorkerShowsNoBox()
    {
        QObject page;
        CPageWorker worker(&page);
        std::promise<void> go;
        std::shared_future<void> going = go.get_future().share();
        std::atomic<int> answer{-1};
        QVERIFY(worker.Start([&answer, going](CPageWorker::Context& context) {
            going.wait();
            answer = context.ShowMessageAndWait(L"never shown") ? 1 : 0;
        }));
        worker.RequestStop();
        go.set_value();
        QTRY_COMPARE(answer.load(), 0);
        QTest::qWait(30);
        QVERIFY(!openBox());
        QVERIFY(worker.Stop());
    }
};

TARVIK_QTEST_MAIN(tst_CPageWorker)
#include "tst_CPageWorker.moc"
