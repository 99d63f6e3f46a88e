// Resident cost of Tarvik with its home screen closed: the real program started offscreen on a
// virtual board with a data folder of its own; once it runs with the home screen closed, it is left
// alone for TARVIK_BENCH_SECONDS (default 60) seconds, and what it used meanwhile is reported:
//   cpu_ms        CPU time (user + system, all threads), from /proc/PID/stat
//   wakeups       context switches of all its threads (voluntary + involuntary, /proc/PID/task/*/status):
//                 an idle program that never wakes has none
//   rss_kb        resident memory at the end (VmRSS)
//   threads       threads at the end
// One run of the whole period; repeat the program for several runs.

#include "QtTestEnvironment.h"
#include "TraceCapture.h"

#include "Board.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int kDefaultSeconds = 60;
constexpr int kStartMs = 15000;

struct Usage {
    double cpuMs = 0;
    long long contextSwitches = 0;
    long long rssKb = 0;
    int threads = 0;
};

long long statusValue(const std::string& file, const std::string& key)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::atoll(line.c_str() + key.size() + 1);
    }
    return 0;
}

Usage usageOf(qint64 pid)
{
    Usage u;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name (which may hold blanks) start after the last ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14)
            utime = std::atoll(field.c_str());
        if (i == 15) {
            stime = std::atoll(field.c_str());
            break;
        }
    }
    u.cpuMs = (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
    for (const QString& task : QDir(QString::fromStdString(proc + "/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const std::string status = proc + "/task/" + task.toStdString() + "/status";
        u.contextSwitches += statusValue(status, "voluntary_ctxt_switches") + statusValue(status, "nonvoluntary_ctxt_switches");
        ++u.threads;
    }
    u.rssKb = statusValue(proc + "/status", "VmRSS");
    return u;
}

int benchSeconds()
{
    const char* env = std::getenv("TARVIK_BENCH_SECONDS");
    const int seconds = env ? std::atoi(env) : kDefaultSeconds;
    return seconds > 0 ? seconds : kDefaultSeconds;
}

void ResidentCost(benchmark::State& state)
{
    auto& environment = tarvik::qtest::QtTestEnvironment::instance();
    const QString root = environment.makeDir("resident");
    const QString run = root + "/run";
    QDir().mkpath(run);
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run));
    tarvik::board::Board::create(QFile::encodeName(root + "/board").toStdString(), "KTA");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", run);
    env.insert("TARVIK_BOARD", root + "/board");
    env.insert("PUBLIC", environment.makeDir("resident/data") + "/");
    env.insert("XDG_CONFIG_HOME", root + "/config");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + root + "/no-bus");

    for (auto _ : state) {
        tarvik::qtest::TraceCapture capture;
        QProcess tarvik;
        tarvik.setProcessEnvironment(env);
        tarvik.setStandardErrorFile(QProcess::nullDevice());
        tarvik.start(TARVIK_PROGRAM, QStringList{});
        QElapsedTimer wait;
        wait.start();
        while (!capture.contains("CGX58_UtilityDlg::OnPaint()") && wait.elapsed() < kStartMs)
            QThread::msleep(10);
        // Close the home screen with the wake-up key, and let the program settle.
        QLocalSocket socket;
        socket.connectToServer(run + "/tarvik/TARVIK_TRAY_WND");
        socket.waitForConnected(kStartMs);
        socket.write("0x83E8 A1 0\n");
        socket.waitForBytesWritten(kStartMs);
        socket.disconnectFromServer();
        while (!capture.contains("CGX58_UtilityDlg::DestroyWindow()") && wait.elapsed() < kStartMs)
            QThread::msleep(10);
        QThread::sleep(1);

        const Usage before = usageOf(tarvik.processId());
        QThread::sleep(static_cast<unsigned long>(benchSeconds()));
        const Usage after = usageOf(tarvik.processId());
        state.SetIterationTime(benchSeconds());
        state.counters["cpu_ms"] = after.cpuMs - before.cpuMs;
        state.counters["wakeups"] = static_cast<double>(after.contextSwitches - before.contextSwitches);
        state.counters["rss_kb"] = static_cast<double>(after.rssKb);
        state.counters["threads"] = after.threads;
        kill(static_cast<pid_t>(tarvik.processId()), SIGTERM);
        tarvik.waitForFinished(kStartMs);
    }
}

BENCHMARK(ResidentCost)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    tarvik::qtest::QtTestEnvironment environment(1024, 600);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
