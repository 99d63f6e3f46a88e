#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarvik {

// One record of /dev/rfkill (struct rfkill_event of <linux/rfkill.h>, first version: 8 bytes,
// idx in host byte order). Newer kernels append fields; a reader that asks for 8 bytes gets the
// first version from every kernel, one event per read.
struct RfkillEvent {
    static constexpr std::size_t kSize = 8;

    // enum rfkill_type
    static constexpr std::uint8_t kTypeAll = 0;
    static constexpr std::uint8_t kTypeWlan = 1;
    static constexpr std::uint8_t kTypeWwan = 5;
    // enum rfkill_operation
    static constexpr std::uint8_t kOpAdd = 0;
    static constexpr std::uint8_t kOpDel = 1;
    static constexpr std::uint8_t kOpChange = 2;
    static constexpr std::uint8_t kOpChangeAll = 3;

    std::uint32_t idx = 0;
    std::uint8_t type = kTypeAll;
    std::uint8_t op = kOpAdd;
    bool soft = false; // blocked by software
    bool hard = false; // blocked by a hardware switch

    // nullopt for fewer than kSize bytes.
    static std::optional<RfkillEvent> decode(const std::uint8_t* bytes, std::size_t size);
    std::array<std::uint8_t, kSize> encode() const;
};

// A radio switch as the events so far describe it.
struct RfkillSwitch {
    std::uint32_t idx = 0;
    std::uint8_t type = RfkillEvent::kTypeAll;
    bool soft = false;
    bool hard = false;
};

// Applies one event to the switches known so far, which stay ordered by idx: an addition or a
// change adds or updates its switch, a removal drops it, a change of all switches of a type sets
// their software block. Unknown operations are ignored.
void applyRfkillEvent(std::vector<RfkillSwitch>& switches, const RfkillEvent& event);

} // namespace tarvik
