// libFuzzer target for the records read from /dev/rfkill: reads of any length (the byte before
// each piece says how many bytes the read returned; a newer kernel's records are longer), each
// decoded and applied to the radio switches known so far. Contract: no crash or undefined
// behaviour, a cut record is no event, a record survives being written again, and the switches
// stay ordered by index, one per index, as the last event for each says.
#include "RfkillEvent.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using tarvik::RfkillEvent;
using tarvik::RfkillSwitch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<RfkillSwitch> switches;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t want = data[at] % 17;
        ++at;
        const std::size_t n = want < size - at ? want : size - at;
        const auto event = RfkillEvent::decode(data + at, n);
        if (event.has_value() != (n >= RfkillEvent::kSize))
            std::abort();
        at += n;
        if (!event)
            continue;
        const auto bytes = event->encode();
        if (RfkillEvent::decode(bytes.data(), bytes.size())->encode() != bytes)
            std::abort();

        tarvik::applyRfkillEvent(switches, *event);
        for (std::size_t i = 1; i < switches.size(); ++i) {
            if (switches[i - 1].idx >= switches[i].idx)
                std::abort();
        }
        const auto it = std::find_if(switches.begin(), switches.end(),
                                     [&](const RfkillSwitch& s) { return s.idx == event->idx; });
        switch (event->op) {
        case RfkillEvent::kOpAdd:
        case RfkillEvent::kOpChange:
            if (it == switches.end() || it->type != event->type || it->soft != event->soft || it->hard != event->hard)
                std::abort();
            break;
        case RfkillEvent::kOpDel:
            if (it != switches.end())
                std::abort();
            break;
        default:
            break;
        }
    }
    return 0;
}
