// Latency from a GGA sentence written to the pty until vS_GPSPositionDouble returns its position:
// the board's simulated receiver (in this process, on a board of its own) sends its usual mix at
// 9600 baud, one epoch a second, driving its route so that every GGA carries a new position, and a
// poller asks Navorin every 200 µs. Runs TARVIK_BENCH_SECONDS (default 60) seconds and reports the
// median and the maximum over the GGA sentences that were decoded, and how many were.
#include "Board.h"
#include "GpsReceiverPeer.h"
#include "Navorin.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGpsPort = 3;
constexpr int kBaud = 9600;
constexpr auto kPollEvery = std::chrono::microseconds(200);

// ddmm.mmmmm as the library turns it into degrees.
double degrees(const std::string& field, std::size_t degreeDigits)
{
    return std::atoi(field.substr(0, degreeDigits).c_str()) + std::atof(field.substr(degreeDigits).c_str()) / 60.0;
}

class GgaLog : public tarvik::board::GpsReceiverPeer::Observer {
public:
    struct Sent {
        double latitude;
        double longitude;
        Clock::time_point when;
        bool seen = false;
    };
    void sentenceSent(std::string_view sentence, Clock::time_point when) override
    {
        if (sentence.substr(3, 4) != "GGA,")
            return;
        std::vector<std::string> f;
        std::size_t start = 0;
        const std::string s(sentence);
        for (std::size_t comma; (comma = s.find(',', start)) != std::string::npos; start = comma + 1)
            f.push_back(s.substr(start, comma - start));
        if (f.size() < 6 || f[2].empty())
            return;
        std::lock_guard lock(mutex);
        sent.push_back({degrees(f[2], 2), degrees(f[4], 3), when});
    }
    // Marks the sentence with this position as seen and gives its latency.
    std::optional<Clock::duration> seenAt(double latitude, double longitude, Clock::time_point now)
    {
        std::lock_guard lock(mutex);
        for (Sent& s : sent) {
            if (!s.seen && std::abs(s.latitude - latitude) < 1e-7 && std::abs(s.longitude - longitude) < 1e-7) {
                s.seen = true;
                return now - s.when;
            }
        }
        return std::nullopt;
    }
    std::size_t count()
    {
        std::lock_guard lock(mutex);
        return sent.size();
    }
    std::mutex mutex;
    std::vector<Sent> sent;
};

void ggaLatency(benchmark::State& state)
{
    const char* env = std::getenv("TARVIK_BENCH_SECONDS");
    const int seconds = env ? std::atoi(env) : 60;
    char pattern[] = "/tmp/tarvik-gps-latency-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    auto board = tarvik::board::Board::create(dir, "KTA");
    if (!board) {
        state.SkipWithError(board.error().c_str());
        return;
    }
    (*board)->setValue("GPSBaudRate", std::to_string(kBaud));
    (*board)->setValue("GPSUpdateRate", "1");
    (*board)->setValue("GPSSpeed", "40");
    setenv("TARVIK_BOARD", dir.c_str(), 1); // before Navorin first looks for its port

    GgaLog log;
    std::atomic<bool> stop{false};
    std::thread receiver([&] { tarvik::board::GpsReceiverPeer(**board, &log).run(stop); });
    while (!std::filesystem::exists(dir + "/COM3"))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    // Navorin's trace lines would drown the report.
    fflush(stdout);
    const int savedOut = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);

    std::vector<double> latenciesMs;
    for (auto _ : state) {
        vS_GPSSerialPortSet(kGpsPort);
        vS_GPSBaudRateSet(kBaud);
        if (!vS_GPSStart()) {
            state.SkipWithError("vS_GPSStart failed");
            break;
        }
        const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
        double lastLon = 0, lastLat = 0;
        while (Clock::now() < end) {
            double lon = 0, lat = 0;
            if (vS_GPSPositionDouble(&lon, &lat) && (lon != lastLon || lat != lastLat)) {
                lastLon = lon;
                lastLat = lat;
                if (const auto latency = log.seenAt(lat, lon, Clock::now()))
                    latenciesMs.push_back(std::chrono::duration<double, std::milli>(*latency).count());
            }
            std::this_thread::sleep_for(kPollEvery);
        }
        vS_GPSStop();
    }

    fflush(stdout);
    dup2(savedOut, 1);
    close(savedOut);
    close(devNull);
    stop = true;
    receiver.join();
    std::filesystem::remove_all(dir);

    std::sort(latenciesMs.begin(), latenciesMs.end());
    if (latenciesMs.empty()) {
        state.SkipWithError("no GGA sentence was decoded");
        return;
    }
    state.counters["gga_sent"] = static_cast<double>(log.count());
    state.counters["gga_decoded"] = static_cast<double>(latenciesMs.size());
    state.counters["median_ms"] = latenciesMs[latenciesMs.size() / 2];
    state.counters["p90_ms"] = latenciesMs[latenciesMs.size() * 9 / 10];
    state.counters["min_ms"] = latenciesMs.front();
    state.counters["max_ms"] = latenciesMs.back();
}

} // namespace

BENCHMARK(ggaLatency)->Name("GgaToPositionDouble9600")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
