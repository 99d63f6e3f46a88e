#pragma once

#include <cstdint>
#include <span>

// The Windows virtual-key codes a key map may name (type-3 functions), as the Linux input key codes
// a virtual keyboard sends for them. Punctuation keys are those of the US layout, where Windows
// names them (VK_OEM_1 is the ";:" key, ...).
struct VirtualKeyMapping {
    std::uint16_t virtualKey;
    std::uint16_t linuxKey; // KEY_* of <linux/input-event-codes.h>
};

std::span<const VirtualKeyMapping> VirtualKeyTable();

// The Linux key of a virtual-key code, or 0 when the code has none.
std::uint16_t LinuxKeyForVirtualKey(std::uint16_t virtualKey);
