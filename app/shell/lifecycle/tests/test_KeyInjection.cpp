// Type-3 functions: the order of the injected events and the virtual-key table behind them.

#include "HexText.h"
#include "KeyInput.h"
#include "VirtualKeyMap.h"

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(KeyInjection, PressesInOrderReleasesInReverse)
{
    // cmd=11,10,1B: Ctrl, Shift, Escape.
    const std::vector<KeyInput> expected = {
        {0x11, false}, {0x10, false}, {0x1B, false}, {0x1B, true}, {0x10, true}, {0x11, true},
    };
    EXPECT_EQ(KeyInputsFor(ReadHexList(L"11,10,1B")), expected);
    EXPECT_EQ(KeyInputsFor(ReadHexList(L"0D")), (std::vector<KeyInput>{{0x0D, false}, {0x0D, true}}));
    EXPECT_TRUE(KeyInputsFor({}).empty());
    // Only the low 16 bits are a virtual key.
    EXPECT_EQ(KeyInputsFor({0x1002E}).front(), (KeyInput{0x2E, false}));
}

TEST(KeyInjection, VirtualKeysOfTheKeyMapsAsLinuxKeys)
{
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {
        {0x0D, KEY_ENTER},      {0x09, KEY_TAB},       {0x2E, KEY_DELETE},      {0x25, KEY_LEFT},
        {0x26, KEY_UP},         {0x27, KEY_RIGHT},     {0x28, KEY_DOWN},        {0x10, KEY_LEFTSHIFT},
        {0x11, KEY_LEFTCTRL},   {0x12, KEY_LEFTALT},   {0x1B, KEY_ESC},         {0xAE, KEY_VOLUMEDOWN},
        {0xAF, KEY_VOLUMEUP},   {0xAD, KEY_MUTE},      {0x41, KEY_A},           {0x5A, KEY_Z},
        {0x30, KEY_0},          {0x39, KEY_9},         {0x70, KEY_F1},          {0x7B, KEY_F12},
        {0x87, KEY_F24},        {0xA3, KEY_RIGHTCTRL}, {0x5B, KEY_LEFTMETA},    {0x20, KEY_SPACE},
    };
    for (const auto& [vk, key] : cases) {
        SCOPED_TRACE(testing::Message() << "VK 0x" << std::hex << vk);
        EXPECT_EQ(LinuxKeyForVirtualKey(vk), key);
    }
    for (std::uint16_t unknown : {0x00, 0x07, 0x3A, 0xFF, 0x1234})
        EXPECT_EQ(LinuxKeyForVirtualKey(unknown), 0) << unknown;
}

TEST(KeyInjection, TableHasOneRowPerVirtualKeyAndRealKeys)
{
    std::set<std::uint16_t> seen;
    for (const VirtualKeyMapping& m : VirtualKeyTable()) {
        EXPECT_TRUE(seen.insert(m.virtualKey).second) << "VK 0x" << std::hex << m.virtualKey << " twice";
        EXPECT_GT(m.linuxKey, 0);
        EXPECT_LE(m.linuxKey, KEY_MAX);
    }
    // Every letter and digit.
    for (std::uint16_t vk = 0x30; vk <= 0x39; ++vk)
        EXPECT_NE(LinuxKeyForVirtualKey(vk), 0);
    for (std::uint16_t vk = 0x41; vk <= 0x5A; ++vk)
        EXPECT_NE(LinuxKeyForVirtualKey(vk), 0);
}

} // namespace
