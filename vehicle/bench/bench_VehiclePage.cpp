// One pass of the four values the vehicle page reads (tachograph speed, engine speed, fuel used,
// temperatures) against the board's simulated STN1110 over a pseudo-terminal at 115200 baud, with
// the bus's real broadcast periods (engine speed 20 ms, tachograph 50 ms, fuel used and
// temperatures 1 s) and real 20 ms polls. Reports the median of 20 passes, and of each value.
#include "Board.h"
#include "J1939Interpreter.h"
#include "Rovanta.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ext/stdio_filebuf.h>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPasses = 20;
constexpr int kBaud = 115200;
constexpr int kPort = 5;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class Fn>
double timed(Fn&& fn)
{
    const auto start = Clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_VehiclePagePass(benchmark::State& state)
{
    std::map<std::string, std::vector<double>> each;
    std::vector<double> passes;
    int failures = 0;
    for (auto _ : state) {
        const double ms = timed([&] {
            char* text = nullptr;
            each["tachograph_ms"].push_back(timed([&] {
                failures += !vVS_VechicleTachographSpeed(&text);
                vVS_free(text);
            }));
            text = nullptr;
            each["engine_ms"].push_back(timed([&] {
                failures += !vVS_VehicleEngineedSpeed(&text);
                vVS_free(text);
            }));
            long litres = 0;
            each["fuel_ms"].push_back(timed([&] { failures += !vVS_VehicleFuelLoad(&litres); }));
            long coolant = 0;
            long fuel = 0;
            each["temperatures_ms"].push_back(
                timed([&] { failures += !vVS_VechicleEngineCoolantAndFuelTemperature(&coolant, &fuel); }));
        });
        passes.push_back(ms);
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["median_ms"] = median(passes);
    state.counters["min_ms"] = *std::min_element(passes.begin(), passes.end());
    state.counters["max_ms"] = *std::max_element(passes.begin(), passes.end());
    for (const auto& [name, times] : each)
        state.counters[name] = median(times);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_VehiclePagePass)->Iterations(kPasses)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/tarvik-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    auto board = tarvik::board::Board::create(dir, "KTA");
    if (!board)
        return 1;
    setenv("TARVIK_BOARD", dir.c_str(), 1);
    std::atomic<bool> stop{false};
    std::string error;
    std::thread peer([&] { tarvik::board::serveJ1939Interpreter(**board, stop, error); });
    while (access((dir + "/COM5").c_str(), F_OK) != 0 && error.empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    // The report goes to standard output as usual; the library's trace lines, which would drown it,
    // go nowhere.
    std::fflush(stdout);
    __gnu_cxx::stdio_filebuf<char> reportBuffer(dup(STDOUT_FILENO), std::ios::out);
    std::ostream report(&reportBuffer);
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;

    int status = 1;
    vVS_SetPortNumber(kPort);
    vVS_SetBaudRate(kBaud);
    if (vVS_Init()) {
        const bool json = std::any_of(argv, argv + argc, [](const char* a) { return std::string(a) == "--benchmark_format=json"; });
        benchmark::Initialize(&argc, argv);
        std::unique_ptr<benchmark::BenchmarkReporter> reporter;
        if (json)
            reporter = std::make_unique<benchmark::JSONReporter>();
        else
            reporter = std::make_unique<benchmark::ConsoleReporter>(benchmark::ConsoleReporter::OO_Tabular);
        reporter->SetOutputStream(&report);
        reporter->SetErrorStream(&std::cerr);
        benchmark::RunSpecifiedBenchmarks(reporter.get());
        benchmark::Shutdown();
        report.flush();
        status = 0;
    } else {
        std::fprintf(stderr, "vVS_Init failed%s%s\n", error.empty() ? "" : ": ", error.c_str());
    }
    vVS_UnInit();
    stop = true;
    peer.join();
    std::filesystem::remove_all(dir);
    return status;
}
