#pragma once

#include <cstdint>
#include <string>

// One programmable key of a key set: section KeyDef<s>-<k> of km_config.ini.
struct KeyDef {
    std::int32_t nFnSet = 0;    // fn: the key's function set, shown in the dispatch trace only
    std::int32_t funid = 0;     // the FunDef<funid> the key runs (1-based)
    std::uint32_t scancode = 0; // the extended scan code the key produces
    std::wstring descpt;

    friend bool operator==(const KeyDef&, const KeyDef&) = default;
};
