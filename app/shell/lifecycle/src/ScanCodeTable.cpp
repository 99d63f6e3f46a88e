#include "ScanCodeTable.h"

#include <array>

namespace {

constexpr HotKeyAction S = HotKeyAction::Shutdown;
constexpr HotKeyAction E = HotKeyAction::Emergency;
constexpr HotKeyAction T = HotKeyAction::ToggleMain;
constexpr HotKeyAction P = HotKeyAction::Programmable;

constexpr std::array<ScanCodePair, 9> kFiveKeyTable = {{
    {0x70, S}, {0x01, S}, {0x40, E}, {0xA1, T},
    {0x55, P}, {0x56, P}, {0x57, P}, {0x6E, P}, {0x12, P},
}};

constexpr std::array<ScanCodePair, 22> kNineKeyTable = {{
    {0x70, S}, {0x01, S}, {0x40, E}, {0xA1, T},
    {0x55, P}, {0x56, P}, {0x57, P}, {0x6E, P}, {0x12, P},
    {0x13, P}, {0x14, P}, {0x15, P}, {0x16, P}, {0x1B, P}, {0x1E, P}, {0x1F, P},
    {0x23, P}, {0x25, P}, {0x26, P}, {0x27, P}, {0x28, P}, {0x29, P},
}};

bool usesNineKeyTable(HardType hardType) { return hardType == HARD_TYPE_RQ81 || hardType == HARD_TYPE_RQ72; }

} // namespace

std::span<const ScanCodePair> ScanCodeTableFor(HardType hardType)
{
    if (usesNineKeyTable(hardType))
        return kNineKeyTable;
    return kFiveKeyTable;
}

HotKeyAction LookupScanCode(HardType hardType, std::uint32_t scanCode)
{
    for (const ScanCodePair& pair : ScanCodeTableFor(hardType)) {
        if (pair.scanCode == scanCode)
            return pair.action;
    }
    return HotKeyAction::None;
}

HotKeyAction HotKeyActionFor(HardType hardType, std::uint32_t scanCode)
{
    const HotKeyAction action = LookupScanCode(hardType, scanCode);
    if (action == HotKeyAction::Programmable && !usesNineKeyTable(hardType) && hardType != HARD_TYPE_GX58)
        return HotKeyAction::None;
    return action;
}
