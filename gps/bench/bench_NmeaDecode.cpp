// Cost of decoding one 299-byte chunk that holds a whole GGA sentence followed by the next
// sentence's '$': the chunk the receive handler gets from the simulated receiver's usual mix.
#include "GpsPositionRecord.h"
#include "GpsReceiverModel.h"
#include "NmeaChunkDecoder.h"
#include "NmeaDecoderSink.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t kChunk = 299;

// RMC, VTG, GGA, GSA and the start of the first GSV of one epoch: the GGA lies wholly inside.
std::string ggaChunk()
{
    tarvik::board::gps::GpsReceiverSettings settings;
    std::string epoch;
    for (const std::string& s : tarvik::board::gps::GpsReceiverModel(settings).epoch(1700000000.0, 12.0, false))
        epoch += s;
    const std::string chunk = epoch.substr(0, kChunk);
    const std::size_t gga = chunk.find("$GPGGA");
    if (gga == std::string::npos || chunk.find('$', gga + 1) == std::string::npos)
        throw std::logic_error("the chunk does not hold a decodable GGA sentence");
    return chunk;
}

class DiscardingSink : public NmeaDecoderSink {
public:
    void trace(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
    void publish(const GpsPositionRecord& record) override { last = record; }
    GpsPositionRecord last;
};

// As the library does it: every trace line written and flushed (here to /dev/null).
class FlushingSink : public NmeaDecoderSink {
public:
    FlushingSink() : out_(std::fopen("/dev/null", "w")) {}
    ~FlushingSink() override { std::fclose(out_); }
    void trace(std::string_view text) override
    {
        std::fwrite(text.data(), 1, text.size(), out_);
        std::fflush(out_);
    }
    void publish(const GpsPositionRecord& record) override { last = record; }
    GpsPositionRecord last;

private:
    std::FILE* out_;
};

template <class Sink>
void decodeChunk(benchmark::State& state)
{
    const std::string chunk = ggaChunk();
    Sink sink;
    NmeaChunkDecoder decoder(sink);
    for (auto _ : state) {
        decoder.receive(chunk);
        benchmark::DoNotOptimize(sink.last);
    }
    if (!sink.last.fix)
        state.SkipWithError("the GGA sentence was not decoded");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * chunk.size()));
}

} // namespace

// The figure asked for is a median: ten runs each, reported as mean, median and spread.
constexpr int kRuns = 10;
BENCHMARK(decodeChunk<DiscardingSink>)->Name("DecodeGgaChunk")->Repetitions(kRuns)->ReportAggregatesOnly(true);
BENCHMARK(decodeChunk<FlushingSink>)->Name("DecodeGgaChunkWithTrace")->Repetitions(kRuns)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
