#pragma once

#include <cstdint>
#include <vector>

// One injected keyboard event: a Windows virtual-key code (the key map's codes) pressed or released.
struct KeyInput {
    std::uint16_t virtualKey;
    bool keyUp;

    friend bool operator==(const KeyInput&, const KeyInput&) = default;
};

// The events that type a key combination: a press of each code in list order, then a release of
// each in reverse order (so "11,10,1B" is Ctrl, Shift, Escape down, then Escape, Shift, Ctrl up).
// Each code keeps its low 16 bits. No codes, no events.
std::vector<KeyInput> KeyInputsFor(const std::vector<std::int32_t>& virtualKeys);
