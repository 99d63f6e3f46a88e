// libFuzzer target for the GPS receive handler's decoding: arbitrary bytes cut into the chunks the
// port hands over (1 to 299 bytes; the first byte of each piece of input says how many follow).
// Contract: no crash or undefined behaviour, nothing kept from one chunk to the next, trace lines
// no longer than their chunk, a record whose text forms can always be made.
#include "GpsPositionRecord.h"
#include "NmeaChunkDecoder.h"
#include "NmeaDecoderSink.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kMaxChunk = 299;
constexpr std::size_t kLongestTraceExtra = 64; // "[lat][lon][N][E]\n" beyond the chunk's own bytes

class CheckingSink : public NmeaDecoderSink {
public:
    std::size_t chunkSize = 0;
    void trace(std::string_view text) override
    {
        if (text.size() > chunkSize + kLongestTraceExtra + 2 * 330)
            std::abort();
    }
    void publish(const GpsPositionRecord& record) override
    {
        // Every form the exports make must be possible for whatever was decoded.
        const std::string texts = record.latitudeText() + record.longitudeText() + record.altitudeText();
        if (texts.size() > 3 * 400)
            std::abort();
        volatile double sink = record.latitudeDecimal() + record.longitudeDecimal();
        (void)sink;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckingSink sink;
    NmeaChunkDecoder decoder(sink);
    std::size_t at = 0;
    while (at < size) {
        // 0 … 255 spread over 1 … 299 bytes.
        const std::size_t want = 1 + (data[at] * (kMaxChunk - 1) + 254) / 255;
        ++at;
        const std::size_t n = want < size - at ? want : size - at;
        sink.chunkSize = n;
        decoder.receive(std::string_view(reinterpret_cast<const char*>(data + at), n));
        if (decoder.pendingBytes() != 0)
            std::abort();
        at += n;
    }
    return 0;
}
