// libFuzzer target for what Rovanta reads from the interpreter: field extraction of an answer line,
// and the exchanges and value decoding fed with arbitrary chip output. Contract: a value or a
// failure, never a crash, text bounded by the buffers.
#include "AnswerFields.h"
#include "BytePort.h"
#include "Sleeper.h"
#include "Stn1110Exchange.h"
#include "TraceSink.h"
#include "VehicleReader.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

using namespace tarvik::vehicle;

namespace {

// Replays the input as the chip's output, cut into reads of varying size.
class ReplayPort final : public BytePort {
public:
    ReplayPort(const std::uint8_t* data, std::size_t size, std::size_t chunk)
        : data_(reinterpret_cast<const char*>(data)), size_(size), chunk_(chunk ? chunk : 1)
    {
    }
    int read(char* buffer, int size) override
    {
        buffer[0] = '\0';
        // Every other read finds nothing, as a poll between two bursts would.
        if ((++reads_ & 1) == 0 || pos_ >= size_)
            return 0;
        std::size_t n = std::min({chunk_, size_ - pos_, static_cast<std::size_t>(size - 1)});
        std::memcpy(buffer, data_ + pos_, n);
        buffer[n] = '\0';
        pos_ += n;
        return static_cast<int>(n);
    }
    int write(const char*, int length) override { return length; }

private:
    const char* data_;
    std::size_t size_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
    unsigned reads_ = 0;
};

class NoSleep final : public tarvik::Sleeper {
public:
    void sleepMs(unsigned) override {}
};

class BoundedTrace final : public TraceSink {
public:
    void write(std::string_view text) override
    {
        // "value: " and a line end around at most the kept text of a line.
        if (text.size() > Stn1110Exchange::kTextCapacity + 16)
            std::abort();
    }
};

void checkExtraction(std::string_view line, int first, int last)
{
    const ExtractedValue v = extractFields(line, first, last);
    if (v.text.empty() && v.raw != -1)
        std::abort();
    if (v.raw > 0x7FFFFFFFL || v.raw < -0x80000000L)
        std::abort();
    if (v.text.size() > line.size() || v.text.find_first_of(" \r\n") != std::string::npos)
        std::abort();
    // A value is whole bytes of the wanted fields, below the error and not-available codes.
    if (v.kind != FieldsKind::Missing &&
        (first > last || v.text.size() != 2 * static_cast<std::size_t>(last - first + 1) ||
         v.text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos))
        std::abort();
    if (v.kind == FieldsKind::Value && (v.text[0] == 'F' || v.text[0] == 'f') &&
        std::string_view("EeFf").find(v.text[1]) != std::string_view::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int first = data[0] % 24;
    const int last = data[1] % 24;
    const std::size_t chunk = data[2] % 64;
    const std::string_view body(reinterpret_cast<const char*>(data + 3), size - 3);
    checkExtraction(body, first, last);
    checkExtraction(body, 3, 3);

    ReplayPort port(data + 3, size - 3, chunk);
    NoSleep sleeper;
    BoundedTrace trace;
    Stn1110Exchange exchange(port, sleeper, trace);
    VehicleReader reader(exchange, trace);
    switch (data[0] % 4) {
    case 0:
        reader.readText(VehicleValue::EngineSpeed);
        break;
    case 1:
        reader.readLong(VehicleValue::Odometer);
        break;
    case 2:
        reader.readTemperatures();
        break;
    default:
        reader.initialise();
        break;
    }
    if (const auto line = exchange.answerExchange("ATMP00FEB0\r")) {
        if (line->size() > Stn1110Exchange::kTextCapacity)
            std::abort();
        checkExtraction(*line, 15, 18);
    }
    return 0;
}
