// Front-panel keys from evdev: the scan-code reports of each kind of driver, and the decoding of the
// byte stream of input_event records.

#include "EvdevKeyDecoder.h"

#include <linux/input.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct MappingCase {
    KeyDeviceKind kind;
    std::uint16_t bus;
    std::uint32_t report;
    std::optional<std::uint32_t> scanCode;
};

TEST(PanelScanCode, PerKindOfDevice)
{
    constexpr auto keyboard = KeyDeviceKind::Keyboard;
    constexpr auto hotkeys = KeyDeviceKind::Hotkeys;
    const MappingCase cases[] = {
        // atkbd: bit 7 is the E0 prefix.
        {keyboard, BUS_I8042, 0xA1, 0x21},       // E0 21
        {keyboard, BUS_I8042, 0x9D, 0x1D},       // right Ctrl
        {keyboard, BUS_I8042, 0xC8, 0x48},       // Up arrow
        {keyboard, BUS_I8042, 0x81, 0x01},       // E0 01: a shut-down key of the front panel
        {keyboard, BUS_I8042, 0x1E, std::nullopt},  // "A": not extended
        {keyboard, BUS_I8042, 0x01, std::nullopt},  // Escape: not extended
        {keyboard, BUS_I8042, 0x1A1, std::nullopt}, // a set-3 report, not a set-1 code
        // HID usages.
        {keyboard, BUS_USB, 0x70052, 0x48},      // Up arrow
        {keyboard, BUS_USB, 0x700E4, 0x1D},      // right Ctrl
        {keyboard, BUS_I2C, 0xC00E9, 0x30},      // volume up
        {keyboard, BUS_BLUETOOTH, 0x10082, 0x5F}, // sleep
        {keyboard, BUS_USB, 0x70004, std::nullopt}, // "a"
        {keyboard, BUS_USB, 0x70029, std::nullopt}, // Escape
        // Full keyboards that report key positions (matrix-keypad, cros-ec-keyb): row/column, not
        // scan codes. Taken as codes they would power the machine off (0x01, 0x70) or latch the
        // emergency (0x40) at an ordinary key.
        {keyboard, BUS_HOST, 0x01, std::nullopt},
        {keyboard, BUS_HOST, 0x70, std::nullopt},
        {keyboard, BUS_HOST, 0x40, std::nullopt},
        {keyboard, BUS_HOST, 0xA1, std::nullopt},
        {keyboard, BUS_I2C, 0x0305, std::nullopt},
        // Platform hotkey drivers: the firmware's code is the scan code.
        {hotkeys, BUS_HOST, 0xA1, 0xA1},
        {hotkeys, BUS_HOST, 0x40, 0x40},
        {hotkeys, BUS_HOST, 0x01, 0x01},
        {hotkeys, BUS_HOST, 0x00, std::nullopt},
        {hotkeys, BUS_HOST, 0x100, std::nullopt},
        {hotkeys, BUS_HOST, 0xE005, std::nullopt},
        // A keyboard's consumer-control keys come as a device of their own: HID usages still.
        {hotkeys, BUS_USB, 0xC00E9, 0x30},
        {hotkeys, BUS_USB, 0xC00B0, std::nullopt}, // play: not extended
        // A named device of no particular kind is taken as hotkeys.
        {KeyDeviceKind::Other, BUS_HOST, 0xA1, 0xA1},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " bus " << c.bus << " report 0x"
                                        << std::hex << c.report);
        EXPECT_EQ(PanelScanCode(c.kind, c.bus, c.report), c.scanCode);
    }
}

// The records a driver sends for one key event.
std::string record(std::uint16_t type, std::uint16_t code, std::int32_t value)
{
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return std::string(reinterpret_cast<const char*>(&event), sizeof event);
}
std::string keyFrame(std::uint32_t scan, std::uint16_t key, std::int32_t value)
{
    return record(EV_MSC, MSC_SCAN, static_cast<std::int32_t>(scan)) + record(EV_KEY, key, value) +
           record(EV_SYN, SYN_REPORT, 0);
}

TEST(EvdevKeyDecoder, ExtendedPressesAndReleases)
{
    EvdevKeyDecoder decoder(KeyDeviceKind::Keyboard, BUS_I8042);
    const std::string bytes = keyFrame(0x1E, KEY_A, 1) + keyFrame(0x1E, KEY_A, 0) + // ordinary key
                              keyFrame(0xC8, KEY_UP, 1) + keyFrame(0xC8, KEY_UP, 2) + // held: repeat
                              keyFrame(0xC8, KEY_UP, 0) +
                              record(EV_KEY, KEY_B, 1) + record(EV_SYN, SYN_REPORT, 0); // no scan report
    const std::vector<PanelKeyEvent> expected = {{0x48, true}, {0x48, false}};
    EXPECT_EQ(decoder.Feed(bytes.data(), bytes.size()), expected);
}

TEST(EvdevKeyDecoder, RecordsSplitAcrossReads)
{
    EvdevKeyDecoder decoder(KeyDeviceKind::Hotkeys, BUS_HOST);
    const std::string bytes = keyFrame(0xA1, KEY_PROG1, 1) + keyFrame(0xA1, KEY_PROG1, 0);
    std::vector<PanelKeyEvent> events;
    // Odd chunk sizes cut records anywhere.
    for (std::size_t at = 0; at < bytes.size(); at += 7) {
        const auto part = decoder.Feed(bytes.data() + at, std::min<std::size_t>(7, bytes.size() - at));
        events.insert(events.end(), part.begin(), part.end());
    }
    EXPECT_EQ(events, (std::vector<PanelKeyEvent>{{0xA1, true}, {0xA1, false}}));
}

TEST(EvdevKeyDecoder, ScanReportOnlyCountsInItsFrameAndDroppedFramesAreSkipped)
{
    EvdevKeyDecoder decoder(KeyDeviceKind::Keyboard, BUS_I8042);
    // A scan report whose frame ends before the key event belongs to no key.
    std::string bytes = record(EV_MSC, MSC_SCAN, 0xA1) + record(EV_SYN, SYN_REPORT, 0) + record(EV_KEY, KEY_CALC, 1) +
                        record(EV_SYN, SYN_REPORT, 0);
    // The kernel dropped events: everything up to the next SYN_REPORT is void.
    bytes += record(EV_SYN, SYN_DROPPED, 0) + record(EV_MSC, MSC_SCAN, 0x9D) + record(EV_KEY, KEY_RIGHTCTRL, 1) +
             record(EV_SYN, SYN_REPORT, 0);
    bytes += keyFrame(0x9D, KEY_RIGHTCTRL, 0);
    EXPECT_EQ(decoder.Feed(bytes.data(), bytes.size()), (std::vector<PanelKeyEvent>{{0x1D, false}}));
}

} // namespace
