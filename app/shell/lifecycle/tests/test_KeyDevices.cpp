// Which input devices the keyboard hook reads: the kind of each device from what the kernel says of
// it, and the setting that names devices.

#include "KeyDeviceFixtures.h"

#include <linux/input.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

struct KindCase {
    const char* what;
    KeyDeviceDescription description;
    KeyDeviceKind kind;
};

TEST(ClassifyKeyDevice, KeyboardsHotkeyDevicesAndTheRest)
{
    const KindCase cases[] = {
        {"AT keyboard (atkbd)", keyDevice(BUS_I8042, {{KEY_ESC, KEY_KPDOT}, {KEY_F11, KEY_F12}}, true), KeyDeviceKind::Keyboard},
        {"USB keyboard", keyDevice(BUS_USB, {{KEY_ESC, KEY_COMPOSE}}, true), KeyDeviceKind::Keyboard},
        {"matrix keypad of a full keyboard", keyDevice(BUS_HOST, {{KEY_ESC, KEY_SLASH}}, true), KeyDeviceKind::Keyboard},
        {"Escape to S is enough", keyDevice(BUS_USB, {{KEY_ESC, KEY_S}}, false), KeyDeviceKind::Keyboard},
        {"without Escape, keys with scan reports", keyDevice(BUS_USB, {{KEY_1, KEY_D}}, true), KeyDeviceKind::Hotkeys},
        {"platform hotkey driver", keyDevice(BUS_HOST, {{KEY_PROG1, KEY_PROG2}, {KEY_F20, KEY_F20}}, true),
         KeyDeviceKind::Hotkeys},
        {"consumer control", keyDevice(BUS_USB, {{KEY_MUTE, KEY_VOLUMEUP}, {KEY_PLAYPAUSE, KEY_PLAYPAUSE}}, true),
         KeyDeviceKind::Hotkeys},
        {"a key above the buttons (KEY_OK)", keyDevice(BUS_HOST, {{KEY_OK, KEY_OK}}, true), KeyDeviceKind::Hotkeys},
        {"a key of the last block (KEY_ALS_TOGGLE)", keyDevice(BUS_HOST, {{KEY_ALS_TOGGLE, KEY_ALS_TOGGLE}}, true),
         KeyDeviceKind::Hotkeys},
        {"power button: no scan reports", keyDevice(BUS_HOST, {{KEY_POWER, KEY_POWER}}, false), KeyDeviceKind::Other},
        {"video bus: no scan reports", keyDevice(BUS_HOST, {{KEY_BRIGHTNESSDOWN, KEY_BRIGHTNESSUP}}, false),
         KeyDeviceKind::Other},
        {"mouse: buttons only", keyDevice(BUS_USB, {{BTN_LEFT, BTN_TASK}}, true, true), KeyDeviceKind::Other},
        {"mouse with keys", keyDevice(BUS_USB, {{BTN_LEFT, BTN_MIDDLE}, {KEY_BACK, KEY_FORWARD}}, true, true),
         KeyDeviceKind::Other},
        {"game pad buttons", keyDevice(BUS_USB, {{BTN_DPAD_UP, BTN_DPAD_RIGHT}, {BTN_TRIGGER_HAPPY1, BTN_TRIGGER_HAPPY4}}, true),
         KeyDeviceKind::Other},
        {"lid switch: no keys", keyDevice(BUS_HOST, {}, false), KeyDeviceKind::Other},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ClassifyKeyDevice(c.description), c.kind);
    }
}

struct SettingCase {
    const wchar_t* setting;
    KeyboardDeviceSetting expected;
};

TEST(ParseKeyboardDevices, DefaultNoneOrNamedPaths)
{
    using Choice = KeyboardDeviceSetting::Choice;
    const SettingCase cases[] = {
        {L"", {}},
        {L"  \t", {}},
        {L" , ,", {}},
        {L"none", {Choice::None, {}}},
        {L" None ", {Choice::None, {}}},
        {L"/dev/input/by-path/platform-i8042-serio-0-event-kbd",
         {Choice::Named, {L"/dev/input/by-path/platform-i8042-serio-0-event-kbd"}}},
        {L" /dev/input/event3 ,/dev/input/event7,, /dev/input/by-id/front panel ",
         {Choice::Named, {L"/dev/input/event3", L"/dev/input/event7", L"/dev/input/by-id/front panel"}}},
        {L"none,/dev/input/event2", {Choice::Named, {L"none", L"/dev/input/event2"}}},
    };
    for (const SettingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting \"" << c.setting << "\"");
        EXPECT_EQ(ParseKeyboardDevices(c.setting), c.expected);
    }
}

} // namespace
