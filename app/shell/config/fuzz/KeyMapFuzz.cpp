// LoadKeyMap on arbitrary key-map contents. Contract: no crash, no hang, bounded tables whose
// records keep the rules of the key map (types 0 … 4, inner commands only for type 1, virtual
// keys only for type 3, texts cut at 511 characters, FnSets at least 1).

#include "InnerCmd.h"
#include "KeyMap.h"
#include "PrivateProfileDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kMaxText = 511;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = tarvik::PrivateProfileDocument::parse(std::string(reinterpret_cast<const char*>(data), size));
    KeyMap map;
    LoadKeyMapFrom(map, file);

    check(map.kFunDefs.size() <= static_cast<std::size_t>(kMaxFunctionSections));
    for (const FunDef& f : map.kFunDefs) {
        check(f.type <= FunDef::TYPE_RESERVED);
        check(f.innerCmd >= INNER_CMD_NONE && f.innerCmd <= INNER_CMD_CTRL_ALT_DEL);
        check(f.type == FunDef::TYPE_INNER_COMMAND || f.innerCmd == INNER_CMD_NONE);
        check(f.type == FunDef::TYPE_SEND_KEYS || f.vkeys.empty());
        check(f.name.size() <= kMaxText && f.cmd.size() <= kMaxText && f.para.size() <= kMaxText &&
              f.descpt.size() <= kMaxText);
    }
    check(!map.kKeySets.empty() && map.kKeySets.size() <= static_cast<std::size_t>(kMaxFnSets));
    for (const auto& set : map.kKeySets) {
        check(set.size() == map.kKeySets.front().size());
        check(set.size() <= static_cast<std::size_t>(kMaxHardButtons));
        for (const KeyDef& k : set)
            check(k.descpt.size() <= kMaxText);
    }
    return 0;
}
