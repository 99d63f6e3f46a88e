#pragma once

#include <linux/input-event-codes.h>

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which of the kernel's input devices the keyboard hook reads, and how it takes their scan codes.
//
// The front-panel keys reach the kernel in one of two ways: through the EC's PS/2 keyboard port
// (atkbd, a full keyboard) or through the platform's hotkey driver (ACPI/WMI, a device of a few keys
// that reports the firmware's key code with each key). The wake-up key 0xA1 and every other code
// above 0x7F can only come the second way: atkbd's codes are 7-bit once the E0 bit is taken off,
// and no HID usage is translated to them. So by default both kinds are read:
//
//   keyboard  a full keyboard as udev counts one (ID_INPUT_KEYBOARD): it has Escape to S, key codes
//             1 to 31. Its scan-code reports are atkbd's set-1 codes or HID usages; any other
//             report (a matrix keypad's or the Chromebook EC's row/column position) is not a scan
//             code and never makes an extended key.
//   hotkeys   not a full keyboard, but keys (udev's ID_INPUT_KEY: a key below BTN_MISC or among the
//             KEY_OK ... KEY_* codes above it, not only buttons), with scan-code reports (EV_MSC /
//             MSC_SCAN, which the sparse-keymap hotkey drivers send), and no pointer axes (a mouse or
//             a touch screen wakes the program at every move). A report below 0x100 is the
//             extended scan code itself.
//   other     anything else (power button, lid switch, mouse, touch screen): not read by default.
//
// A device named in the setting is read whatever it is; its kind still decides how its reports are
// taken (a named device that is no full keyboard is taken as hotkeys).
enum class KeyDeviceKind { Keyboard, Hotkeys, Other };

// What the kernel says about an input device (EVIOCGID, EVIOCGBIT).
struct KeyDeviceDescription {
    std::uint16_t bus = 0;
    std::bitset<KEY_CNT> keys;  // the EV_KEY codes it can send
    bool scanReports = false;   // it sends EV_MSC/MSC_SCAN
    bool pointerAxes = false;   // it has REL_X/REL_Y or ABS_X/ABS_Y
};

KeyDeviceKind ClassifyKeyDevice(const KeyDeviceDescription& device);

// Read when no device is named: keyboards and hotkey devices.
bool ReadByDefault(KeyDeviceKind kind);

// The setting PROJECT/KEYBOARD_DEVICES: missing or blank, the default devices; "none" (any case),
// no device; otherwise device paths separated by commas (blanks around each are dropped).
struct KeyboardDeviceSetting {
    enum class Choice { Default, None, Named };
    Choice choice = Choice::Default;
    std::vector<std::wstring> paths; // only with Named

    friend bool operator==(const KeyboardDeviceSetting&, const KeyboardDeviceSetting&) = default;
};

KeyboardDeviceSetting ParseKeyboardDevices(std::wstring_view setting);
