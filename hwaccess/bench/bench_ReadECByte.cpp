// ReadECByte on the virtual board when the EC answers at once: five 3 ms waits, so a read should
// cost 15 ms and not whole milliseconds more. Reports the median of 100 reads.
#include "Board.h"
#include "CWinIOUtility.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

void BM_ReadECByte(benchmark::State& state)
{
    std::vector<double> perRead;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(CWinIOUtility::ReadECByte(0x70));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        perRead.push_back(seconds * 1e3);
        state.SetIterationTime(seconds);
    }
    std::sort(perRead.begin(), perRead.end());
    state.counters["median_ms"] = perRead[perRead.size() / 2];
    state.counters["max_ms"] = perRead.back();
}
BENCHMARK(BM_ReadECByte)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/tarvik-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    if (!tarvik::board::Board::create(dir, "KTA"))
        return 1;
    setenv("TARVIK_BOARD", dir.c_str(), 1);
    if (!CWinIOUtility::AcquirePortAccess())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
