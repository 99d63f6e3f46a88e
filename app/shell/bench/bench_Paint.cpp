// Paint times of the home screen and of a section page, offscreen on a virtual board:
//   MainWindowFirstPaint   creating the home screen until its first completed paint;
//   SectionFirstPaint      a section command (the Device information button) until the page's
//                          first completed paint.
// Each is run 20 times; the median is the figure. The init_ms counter is the part spent before the
// window is shown (pictures, controls, settings, library calls).

#include "QtTestEnvironment.h"

#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRuns = 20;

// Waits for the window's first completed paint after `start`; returns the time it took in seconds.
double untilPainted(CPageDlg* window, QElapsedTimer& start)
{
    double seconds = 0;
    QEventLoop loop;
    QObject::connect(window, &CPageDlg::painted, &loop, [&] {
        seconds = start.nsecsElapsed() / 1e9;
        loop.quit();
    });
    loop.exec();
    return seconds;
}

void MainWindowFirstPaint(benchmark::State& state)
{
    double init = 0;
    for (auto _ : state) {
        QElapsedTimer start;
        start.start();
        auto* home = new CGX58_UtilityDlg;
        home->CreateModeless();
        init += start.nsecsElapsed() / 1e6;
        state.SetIterationTime(untilPainted(home, start));
        home->DestroyWindow();
        delete home;
    }
    state.counters["init_ms"] = init / state.iterations();
}

// Catches the section page when it is shown and ends it at its first completed paint.
class PageCatcher : public QObject {
public:
    explicit PageCatcher(QWidget* home) : m_home(home) { qApp->installEventFilter(this); }
    ~PageCatcher() override { qApp->removeEventFilter(this); }
    QElapsedTimer start;
    double painted = 0;
    double shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* page = qobject_cast<CPageDlg*>(watched);
        if (event->type() == QEvent::Show && page && page != m_home) {
            shown = start.nsecsElapsed() / 1e6;
            QObject::connect(page, &CPageDlg::painted, page, [this, page] {
                painted = start.nsecsElapsed() / 1e9;
                QTimer::singleShot(0, page, [page] { SendCommand(page, IDCANCEL); });
            }, Qt::SingleShotConnection);
        }
        return false;
    }

private:
    QWidget* m_home;
};

void SectionFirstPaint(benchmark::State& state)
{
    auto* home = new CGX58_UtilityDlg;
    QElapsedTimer homeStart;
    homeStart.start();
    home->CreateModeless();
    untilPainted(home, homeStart);
    CMyBitmapButton* button = home->Button(CGX58_UtilityDlg::kDevInfoId);
    PageCatcher catcher(home);
    double init = 0;
    for (auto _ : state) {
        catcher.start.start();
        button->click(); // returns when the page has been closed
        state.SetIterationTime(catcher.painted);
        init += catcher.shown;
    }
    state.counters["init_ms"] = init / state.iterations();
    home->DestroyWindow();
    delete home;
}

BENCHMARK(MainWindowFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(SectionFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    tarvik::qtest::QtTestEnvironment environment(1024, 600);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
