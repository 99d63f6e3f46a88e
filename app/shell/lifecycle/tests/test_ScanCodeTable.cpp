// The scan-code tables of the tray window: every code of both tables on every hardware type.

#include "ScanCodeTable.h"

#include <gtest/gtest.h>

namespace {

constexpr HotKeyAction N = HotKeyAction::None;
constexpr HotKeyAction S = HotKeyAction::Shutdown;
constexpr HotKeyAction E = HotKeyAction::Emergency;
constexpr HotKeyAction T = HotKeyAction::ToggleMain;
constexpr HotKeyAction P = HotKeyAction::Programmable;

struct Row {
    std::uint32_t code;
    HotKeyAction gx58, rq63l, rq63h, rq81, rq72;
};

// What each code does per hardware type.
constexpr Row kRows[] = {
    {0x70, S, S, S, S, S}, {0x01, S, S, S, S, S}, {0x40, E, E, E, E, E}, {0xA1, T, T, T, T, T},
    {0x55, P, N, N, P, P}, {0x56, P, N, N, P, P}, {0x57, P, N, N, P, P}, {0x6E, P, N, N, P, P},
    {0x12, P, N, N, P, P},
    {0x13, N, N, N, P, P}, {0x14, N, N, N, P, P}, {0x15, N, N, N, P, P}, {0x16, N, N, N, P, P},
    {0x1B, N, N, N, P, P}, {0x1E, N, N, N, P, P}, {0x1F, N, N, N, P, P}, {0x23, N, N, N, P, P},
    {0x25, N, N, N, P, P}, {0x26, N, N, N, P, P}, {0x27, N, N, N, P, P}, {0x28, N, N, N, P, P},
    {0x29, N, N, N, P, P},
    // Codes in neither table, among them neighbours of table codes and the E0 codes of ordinary
    // keyboards (arrows, Delete, right Ctrl).
    {0x00, N, N, N, N, N}, {0x02, N, N, N, N, N}, {0x1D, N, N, N, N, N}, {0x24, N, N, N, N, N},
    {0x2A, N, N, N, N, N}, {0x48, N, N, N, N, N}, {0x53, N, N, N, N, N}, {0x71, N, N, N, N, N},
    {0xA0, N, N, N, N, N}, {0x1A1, N, N, N, N, N}, {0xFFFFFFFF, N, N, N, N, N},
};

TEST(ScanCodeTable, ActionPerCodeAndHardwareType)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "scan code 0x" << std::hex << row.code);
        EXPECT_EQ(HotKeyActionFor(HARD_TYPE_GX58, row.code), row.gx58);
        EXPECT_EQ(HotKeyActionFor(HARD_TYPE_RQ63_L, row.code), row.rq63l);
        EXPECT_EQ(HotKeyActionFor(HARD_TYPE_RQ63_H, row.code), row.rq63h);
        EXPECT_EQ(HotKeyActionFor(HARD_TYPE_RQ81, row.code), row.rq81);
        EXPECT_EQ(HotKeyActionFor(HARD_TYPE_RQ72, row.code), row.rq72);
    }
}

TEST(ScanCodeTable, FiveAndNineKeyTablesInOrder)
{
    const auto five = ScanCodeTableFor(HARD_TYPE_RQ63_H);
    ASSERT_EQ(five.size(), 9u);
    EXPECT_EQ(five[0].scanCode, 0x70u);
    EXPECT_EQ(five[3].scanCode, 0xA1u);
    EXPECT_EQ(five[8].scanCode, 0x12u);
    const auto nine = ScanCodeTableFor(HARD_TYPE_RQ72);
    ASSERT_EQ(nine.size(), 22u);
    EXPECT_EQ(nine[9].scanCode, 0x13u);
    EXPECT_EQ(nine[21].scanCode, 0x29u);
    // The raw lookup still finds the programmable rows of the five-key table on an RQ63; the
    // dispatch rule is what ignores them.
    EXPECT_EQ(LookupScanCode(HARD_TYPE_RQ63_L, 0x55), P);
}

} // namespace
