#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One function of the key map: section FunDef<n> of km_config.ini.
struct FunDef {
    // What the function does.
    enum Type : std::int32_t {
        TYPE_NOTHING = 0,
        TYPE_INNER_COMMAND = 1, // cmd names an InnerCmd
        TYPE_START_PROGRAM = 2, // cmd is a program or document, para its parameters
        TYPE_SEND_KEYS = 3,     // cmd is a comma-separated list of hexadecimal virtual-key codes
        TYPE_RESERVED = 4,      // does nothing; kept as read
    };

    std::int32_t type = TYPE_NOTHING; // a value above 4 is read as 0
    std::wstring name;
    std::wstring descpt;
    std::wstring cmd;
    std::wstring para;
    std::int32_t innerCmd = 0;       // for type 1 the InnerCmd of cmd, else 0
    std::vector<std::int32_t> vkeys; // for type 3 the codes of cmd, else empty
    bool avl = false;                // kept, consulted by nothing

    friend bool operator==(const FunDef&, const FunDef&) = default;
};
