#include "RfkillEvent.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

std::optional<RfkillEvent> RfkillEvent::decode(const std::uint8_t* bytes, std::size_t size)
{
    if (size < kSize)
        return std::nullopt;
    RfkillEvent e;
    std::memcpy(&e.idx, bytes, sizeof e.idx);
    e.type = bytes[4];
    e.op = bytes[5];
    e.soft = bytes[6] != 0;
    e.hard = bytes[7] != 0;
    return e;
}

std::array<std::uint8_t, RfkillEvent::kSize> RfkillEvent::encode() const
{
    std::array<std::uint8_t, kSize> bytes{};
    std::memcpy(bytes.data(), &idx, sizeof idx);
    bytes[4] = type;
    bytes[5] = op;
    bytes[6] = soft ? 1 : 0;
    bytes[7] = hard ? 1 : 0;
    return bytes;
}

void applyRfkillEvent(std::vector<RfkillSwitch>& switches, const RfkillEvent& event)
{
    const auto at = std::lower_bound(switches.begin(), switches.end(), event.idx,
                                     [](const RfkillSwitch& s, std::uint32_t idx) { return s.idx < idx; });
    const bool known = at != switches.end() && at->idx == event.idx;
    switch (event.op) {
    case RfkillEvent::kOpAdd:
    case RfkillEvent::kOpChange: {
        const RfkillSwitch updated{event.idx, event.type, event.soft, event.hard};
        if (known)
            *at = updated;
        else
            switches.insert(at, updated);
        return;
    }
    case RfkillEvent::kOpDel:
        if (known)
            switches.erase(at);
        return;
    case RfkillEvent::kOpChangeAll:
        for (RfkillSwitch& s : switches) {
            if (event.type == RfkillEvent::kTypeAll || s.type == event.type)
                s.soft = event.soft;
        }
        return;
    default:
        return;
    }
}

} // namespace tarvik
