// libFuzzer target for the key reports read from an input device: the first byte picks the kind of
// device, the next two its bus, the rest is what the device's descriptor gives, struct input_event
// records in reads of any size (the byte before each piece says how many follow). Contract: no
// crash or undefined behaviour, and the same events whatever the reads were cut into.
#include "EvdevKeyDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const auto kind = static_cast<KeyDeviceKind>(data[0] % 3);
    const auto bus = static_cast<std::uint16_t>(data[1] | data[2] << 8);
    data += 3;
    size -= 3;

    EvdevKeyDecoder cut(kind, bus);
    std::vector<std::uint8_t> stream;
    std::vector<PanelKeyEvent> events;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t want = data[at];
        ++at;
        const std::size_t n = want < size - at ? want : size - at;
        for (const PanelKeyEvent& e : cut.Feed(data + at, n))
            events.push_back(e);
        stream.insert(stream.end(), data + at, data + at + n);
        at += n;
    }

    EvdevKeyDecoder whole(kind, bus);
    if (whole.Feed(stream.data(), stream.size()) != events)
        std::abort();
    return 0;
}
