// The vehicle page against the board's simulated interpreter at 115200 baud, broadcasting at a
// vehicle's own periods (EEC1 20 ms, TCO1 50 ms, LFC and ET1 1 s), with the library's real polls:
//
//   VehiclePass     the time of one pass of the vehicle worker (four value calls and the 50 ms
//                   interval), from one fuel reading to the next as the library traces them;
//   OpenToValues    from the page's opening until all five vehicle values are shown;
//   CloseToGone     from Home until both workers have ended (the value call in progress runs into
//                   the library's time limit on the closed port); the counter close_ms is the time
//                   until the page's run has returned.
//
// 20 repetitions each; the medians are the figures.

#include "QtTestEnvironment.h"

#include "AppPaths.h"
#include "Board.h"
#include "CMyBitmapButton.h"
#include "GU_VehicleDlg.h"
#include "GpsReceiverPeer.h"
#include "J1939Interpreter.h"
#include "PrivateProfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRepetitions = 20;
constexpr int kTimeoutMs = 20000;
using Clock = std::chrono::steady_clock;

const int kValueIds[] = {GU_VehicleDlg::kTachographId, GU_VehicleDlg::kEngineSpeedId, GU_VehicleDlg::kFuelUsedId,
                         GU_VehicleDlg::kFuelTemperatureId, GU_VehicleDlg::kCoolantTemperatureId};
const QString kTemplates[] = {"---", "----", "--- L", "-- \u2103", "-- \u2103"};

// The library's trace lines (standard output) read back through a pipe, each fuel reading
// ("[raw][litres]") time-stamped: one per pass of the vehicle worker.
class FuelReadings {
public:
    FuelReadings()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        m_read = fds[0];
        m_reader = std::thread([this] { drain(); });
    }
    ~FuelReadings()
    {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO); // the pipe's last writer goes: the reader sees its end
        close(m_saved);
        m_reader.join();
        close(m_read);
    }
    std::vector<Clock::time_point> times()
    {
        std::lock_guard lock(m_mutex);
        return m_times;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_times.clear();
    }

private:
    void drain()
    {
        char buffer[4096];
        std::string pending;
        for (;;) {
            const ssize_t n = read(m_read, buffer, sizeof buffer);
            if (n <= 0)
                return;
            pending.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                if (pending.compare(0, 1, "[") == 0 && pending.find("][") < end) {
                    std::lock_guard lock(m_mutex);
                    m_times.push_back(Clock::now());
                }
                pending.erase(0, end + 1);
            }
        }
    }
    int m_saved = -1;
    int m_read = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::vector<Clock::time_point> m_times;
};

// Threads of this process now.
int threadCount()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    return -1;
}

bool allShown(GU_VehicleDlg& page)
{
    for (int i = 0; i < 5; ++i) {
        const QString text = page.ItemText(kValueIds[i]);
        if (text == kTemplates[i] || text.startsWith('-'))
            return false;
    }
    return true;
}

// Runs the page; `inside` acts from within its run and returns the seconds it measured.
// close is started at the Home click.
double runPage(const std::function<double(GU_VehicleDlg&)>& inside, QElapsedTimer* close = nullptr)
{
    GU_VehicleDlg page;
    double seconds = -1;
    QTimer::singleShot(0, &page, [&] {
        seconds = inside(page);
        if (close)
            close->start();
        page.Button(GU_VehicleDlg::kHomeId)->click();
    });
    page.DoModal();
    return seconds;
}

void waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void VehiclePass(benchmark::State& state)
{
    FuelReadings readings;
    runPage([&](GU_VehicleDlg& page) {
        waitUntil([&] { return allShown(page); });
        readings.clear();
        for (auto _ : state) {
            const std::size_t seen = readings.times().size();
            waitUntil([&] { return readings.times().size() >= seen + 2; });
            const auto t = readings.times();
            state.SetIterationTime(std::chrono::duration<double>(t[seen + 1] - t[seen]).count());
        }
        return 0.0;
    });
}

void OpenToValues(benchmark::State& state)
{
    FuelReadings quiet; // the library's trace lines, not the report's
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const double seconds = runPage([&](GU_VehicleDlg& page) {
            waitUntil([&] { return allShown(page); });
            return clock.nsecsElapsed() / 1e9;
        });
        state.SetIterationTime(seconds);
    }
}

void CloseToGone(benchmark::State& state)
{
    FuelReadings quiet;
    double closeSum = 0;
    for (auto _ : state) {
        const int before = threadCount();
        QElapsedTimer gone;
        runPage([&](GU_VehicleDlg& page) {
            waitUntil([&] { return allShown(page); });
            return 0.0;
        }, &gone);
        const double closing = gone.nsecsElapsed() / 1e9;
        while (threadCount() > before && gone.elapsed() < kTimeoutMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        closeSum += closing;
        state.SetIterationTime(gone.nsecsElapsed() / 1e9);
    }
    state.counters["close_ms"] = closeSum * 1000 / state.iterations();
}

BENCHMARK(VehiclePass)->UseManualTime()->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenToValues)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(CloseToGone)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    tarvik::qtest::QtTestEnvironment environment(1024, 600);
    QApplication app(argc, argv);
    auto board = tarvik::board::Board::open(environment.boardDir().toStdString());
    if (!board)
        return 1;
    std::atomic<bool> stop{false};
    std::thread interpreter([&] {
        std::string error;
        tarvik::board::serveJ1939Interpreter(**board, stop, error);
    });
    std::thread receiver([&] { tarvik::board::GpsReceiverPeer(**board).run(stop); });
    while (access(qPrintable(environment.boardDir() + "/COM5"), F_OK) != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (auto [key, value] : {std::pair{L"COM_PORT", L"5"}, {L"BAUD_RATE", L"115200"}, {L"INTERVAL", L"50"}})
        WritePrivateProfileStringW(L"VEHICLE_STATUS", key, value, SettingsFile());
    WritePrivateProfileStringW(L"LOCATION_SENSOR", L"COM_PORT", L"3", SettingsFile());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stop = true;
    interpreter.join();
    receiver.join();
    return 0;
}
