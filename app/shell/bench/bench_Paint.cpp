// Paint times of the home screen and of a section page, offscreen on a virtual board:
//   MainWindowFirstPaint   creating the home screen until its first completed paint;
//   SectionFirstPaint      a section command (the Device information button) until the page's
//                          first completed paint;
//   CommFirstPaint         the same for the Communication button (the page reads four EC bytes
//                          and one CMOS byte at opening: 4 x 15 ms of EC waits is its floor);
//   CommWlanBtSwitch       the combined WLAN and Bluetooth switch on the communication page, on and
//                          off in turn, with WLAN_POWER_DELAY 0 (so without the power-up wait).
// Each is run 20 times; the median is the figure. The init_ms counter is the part spent before the
// window is shown (pictures, controls, settings, library calls).

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "CMyBitmapButton.h"
#include "GU_CommDlg.h"
#include "PrivateProfile.h"

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

void sectionFirstPaint(benchmark::State& state, int commandId)
{
    auto* home = new CGX58_UtilityDlg;
    QElapsedTimer homeStart;
    homeStart.start();
    home->CreateModeless();
    untilPainted(home, homeStart);
    CMyBitmapButton* button = home->Button(commandId);
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

void SectionFirstPaint(benchmark::State& state) { sectionFirstPaint(state, CGX58_UtilityDlg::kDevInfoId); }
void CommFirstPaint(benchmark::State& state) { sectionFirstPaint(state, CGX58_UtilityDlg::kCommId); }

void CommWlanBtSwitch(benchmark::State& state)
{
    WritePrivateProfileStringW(L"COMMUNICATION", L"WLAN_POWER_DELAY", L"0", SettingsFile());
    GU_CommDlg page;
    QTimer::singleShot(0, &page, [&] {
        CMyBitmapButton* button = page.Button(GU_CommDlg::kWlanBtSwitchId);
        for (auto _ : state) {
            QElapsedTimer start;
            start.start();
            button->click();
            state.SetIterationTime(start.nsecsElapsed() / 1e9);
        }
        page.EndDialog(IDCANCEL);
    });
    page.DoModal();
}

BENCHMARK(MainWindowFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(SectionFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(CommFirstPaint)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(CommWlanBtSwitch)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);

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
