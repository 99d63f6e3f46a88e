#pragma once

#include "KeyDevices.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Front-panel keys from the kernel's input devices (evdev).
//
// The keys reach Windows as extended keyboard scan codes (the E0-prefixed make codes of scan-code
// set 1); the kernel reports the scan code of each key event as EV_MSC/MSC_SCAN just before its
// EV_KEY event. How its value becomes the extended scan code depends on the kind of device
// (KeyDevices.h) and its driver:
//
//   Keyboards:
//     PS/2 (atkbd; bus BUS_I8042, the EC's keyboard port): atkbd reports a set-1 make code and sets
//       bit 7 for the E0 prefix (atkbd_compat_scancode in drivers/input/keyboard/atkbd.c), so
//       0x80-0xFF is an extended key with the scan code value & 0x7F: E0 1D (right Ctrl) arrives as
//       0x9D and means 0x1D, exactly what Windows's hook reports with the extended flag.
//     HID (usbhid, i2c-hid, Bluetooth): the value is the HID usage, page << 16 | id (0x70052 is the
//       Up arrow); the usages Windows translates to E0 codes are tabled in EvdevKeyDecoder.cpp (Up
//       arrow: E0 48, so 0x48 extended).
//     Any other report of a keyboard (a matrix keypad's or the Chromebook EC's row/column
//       position) is no scan code: never an extended key.
//   Hotkey devices (the platform's ACPI/WMI hotkey driver, and any named device that is no full
//     keyboard): a report below 0x100 is the firmware's key code, which on these machines is the
//     extended scan code itself, so 0xA1 is 0xA1; a HID usage (a keyboard's consumer-control keys)
//     is taken as from a HID keyboard.
//
// Only extended keys are reported; ordinary keys (letters, digits, ...) never are.

// The extended scan code behind a scan-code report of a device of this kind on this bus, or nullopt
// when the key is not extended.
std::optional<std::uint32_t> PanelScanCode(KeyDeviceKind kind, std::uint16_t bus, std::uint32_t scanReport);

// One extended key event.
struct PanelKeyEvent {
    std::uint32_t scanCode;
    bool press; // false: release

    friend bool operator==(const PanelKeyEvent&, const PanelKeyEvent&) = default;
};

// Turns the bytes read from one evdev device (struct input_event records, in any chunks) into its
// extended key events. A key event counts when a scan-code report precedes it in the same report
// frame (up to SYN_REPORT). Auto-repeats (value 2) are not presses: the kernel makes them up while
// a key is held, the key is pressed once. After SYN_DROPPED the frame is skipped, as the kernel
// documents.
class EvdevKeyDecoder {
public:
    EvdevKeyDecoder(KeyDeviceKind kind, std::uint16_t bus) : m_kind(kind), m_bus(bus) {}

    std::vector<PanelKeyEvent> Feed(const void* data, std::size_t size);

private:
    void HandleEvent(std::uint16_t type, std::uint16_t code, std::int32_t value, std::vector<PanelKeyEvent>& out);

    KeyDeviceKind m_kind;
    std::uint16_t m_bus;
    std::string m_partial;
    std::optional<std::uint32_t> m_scan;
    bool m_dropped = false;
};
