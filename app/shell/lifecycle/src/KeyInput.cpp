#include "KeyInput.h"

std::vector<KeyInput> KeyInputsFor(const std::vector<std::int32_t>& virtualKeys)
{
    std::vector<KeyInput> inputs;
    inputs.reserve(virtualKeys.size() * 2);
    for (std::int32_t code : virtualKeys)
        inputs.push_back({static_cast<std::uint16_t>(code & 0xFFFF), false});
    for (auto it = virtualKeys.rbegin(); it != virtualKeys.rend(); ++it)
        inputs.push_back({static_cast<std::uint16_t>(*it & 0xFFFF), true});
    return inputs;
}
