// Wake latency of the resident program: from the wake-up key's line written to the tray socket
// ("0x83E8 A1 0") until the home screen's first completed paint. The tray window, its socket and the
// home screen are the program's own, offscreen on a virtual board, in this process; the client
// connects and writes as another process would. 20 toggles (each opening is timed, each closing
// is not); the median is the figure.

#include "QtTestEnvironment.h"
#include "TrayFakes.h"

#include "AppPaths.h"
#include "CGX58_UtilityDlg.h"
#include "CTraySocket.h"
#include "CTrayWnd.h"
#include "Idovan.h"
#include "TemplateCopy.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kToggles = 20;
constexpr int kTimeoutMs = 10000;

// Waits for the next home screen to be shown and for its first completed paint.
class PaintWatcher : public QObject {
public:
    PaintWatcher() { qApp->installEventFilter(this); }
    ~PaintWatcher() override { qApp->removeEventFilter(this); }
    QElapsedTimer start;
    double seconds = -1;
    QEventLoop loop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* home = qobject_cast<CGX58_UtilityDlg*>(watched);
        if (home && event->type() == QEvent::Show) {
            QObject::connect(home, &CPageDlg::painted, this, [this] {
                if (seconds < 0)
                    seconds = start.nsecsElapsed() / 1e9;
                loop.quit();
            }, Qt::SingleShotConnection);
        }
        return false;
    }
};

void post(QLocalSocket& client)
{
    client.connectToServer(CTraySocket::SocketPath());
    client.waitForConnected(kTimeoutMs);
    client.write("0x83E8 A1 0\n");
    client.flush();
}

void WakeLatency(benchmark::State& state)
{
    tarvik::qtest::RecordingInjector injector;
    tarvik::qtest::FakeLoginSession session;
    tarvik::qtest::FakeWakeTimer timer;
    tarvik::qtest::RecordingLauncher launcher;
    CTrayWnd tray({&injector, &session, &timer, &launcher});
    tray.CreateEx();
    CTraySocket socket(&tray);
    socket.Listen();
    for (auto _ : state) {
        PaintWatcher watcher;
        QLocalSocket client;
        watcher.start.start();
        post(client);
        QTimer::singleShot(kTimeoutMs, &watcher.loop, &QEventLoop::quit);
        watcher.loop.exec();
        state.SetIterationTime(watcher.seconds);
        client.disconnectFromServer();
        // Close it again (not timed).
        QLocalSocket closer;
        post(closer);
        QElapsedTimer wait;
        wait.start();
        while (tray.MainDlg() && wait.elapsed() < kTimeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

BENCHMARK(WakeLatency)->UseManualTime()->Iterations(1)->Repetitions(kToggles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    tarvik::qtest::QtTestEnvironment environment(1024, 600);
    QApplication app(argc, argv);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(environment.makeDir("config")));
    CopyTemplates(AppDataPaths(), CIdovan::vDI_ModelType(), {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
