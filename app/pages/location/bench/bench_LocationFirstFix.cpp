// From opening the location page to the first position it shows, with the virtual board's GPS
// receiver at 9600 baud, one fix a second, and the default settings (COM3, 9600, two attempts),
// offscreen; the real pauses of the worker (polling every 3000 ms):
//   PageFirstPosition   the page's DoModal until the location text is no longer "-";
//   LibraryFirstFix     the floor: vS_GPSStart until vS_GPSPositionDouble reports a fix (one GGA
//                       on the wire, decoded), without the page.
// Before each run the library's fix is cleared (the receiver searches until the library reports
// no fix), so no run sees the fix of the one before. Each is run 10 times; the median is the figure.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "Board.h"
#include "GU_LocSensorDlg.h"
#include "Miravel.h"
#include "Navorin.h"
#include "PrivateProfile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRuns = 10;

std::unique_ptr<tarvik::board::Board> g_board;

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Lets the library see the receiver search, so that it holds no fix, then leaves it stopped.
void forgetTheFix()
{
    double longitude = 0;
    double latitude = 0;
    g_board->setFault("gps-no-fix", "");
    vS_GPSStart();
    QElapsedTimer clock;
    clock.start();
    while (vS_GPSPositionDouble(&longitude, &latitude) && clock.elapsed() < 5000)
        pump(20);
    vS_GPSStop();
    g_board->clearFault("gps-no-fix");
}

void PageFirstPosition(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        forgetTheFix();
        state.ResumeTiming();
        GU_LocSensorDlg page;
        QElapsedTimer clock;
        double seconds = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &page, [&] {
            if (page.ItemText(GU_LocSensorDlg::kLocationValueId) != "-" || clock.elapsed() > 15000) {
                seconds = clock.nsecsElapsed() / 1e9;
                page.EndDialog(IDCANCEL);
            }
        });
        watch.start(1);
        clock.start();
        page.DoModal();
        state.SetIterationTime(seconds);
    }
}

void LibraryFirstFix(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        forgetTheFix();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        vS_GPSSerialPortSet(3);
        vS_GPSBaudRateSet(9600);
        vS_GPSStart();
        double longitude = 0;
        double latitude = 0;
        while (!vS_GPSPositionDouble(&longitude, &latitude) && clock.elapsed() < 15000)
            QThread::usleep(500);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        vS_GPSStop();
    }
}

BENCHMARK(PageFirstPosition)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryFirstFix)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    tarvik::qtest::QtTestEnvironment environment(1024, 600);
    QApplication app(argc, argv);
    const std::string dir = environment.boardDir().toStdString();
    auto created = tarvik::board::Board::create(dir, "KTA");
    if (!created)
        return 1;
    g_board = std::move(*created);
    CMiravel().vSR_GPSModuleSwitch(1);
    QProcess peers;
    peers.setStandardOutputFile(QProcess::nullDevice());
    peers.start(QStringLiteral(TARVIK_BOARD_TOOL), {"-d", environment.boardDir(), "serve", "gps"});
    for (int i = 0; i < 500 && !QFileInfo::exists(environment.boardDir() + "/COM3"); ++i)
        pump(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    peers.terminate();
    peers.waitForFinished(5000);
    g_board.reset();
    return 0;
}
