#pragma once

#include "HardType.h"

#include <cstdint>
#include <span>

// What a front-panel scan code means to the tray window.
enum class HotKeyAction : std::int32_t {
    None = 0,
    Shutdown = 1,
    Emergency = 2,
    ToggleMain = 3,
    Programmable = 4,
};

// One row of a scan-code table: the code and the action it stands for.
struct ScanCodePair {
    std::uint32_t scanCode;
    HotKeyAction action;
};

// The table of a hardware type: the nine-key table (22 pairs) for RQ81 and RQ72, the five-key
// table (9 pairs) for every other type.
std::span<const ScanCodePair> ScanCodeTableFor(HardType hardType);

// The first pair of the table that holds the code, by linear search; None when no pair does.
HotKeyAction LookupScanCode(HardType hardType, std::uint32_t scanCode);

// What the tray window does with the code: the table's action, except that the five programmable
// keys of the five-key table belong to the GX58 alone (RQ63 machines have no programmable keys).
HotKeyAction HotKeyActionFor(HardType hardType, std::uint32_t scanCode);
