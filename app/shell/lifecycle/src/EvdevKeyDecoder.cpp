#include "EvdevKeyDecoder.h"

#include <linux/input.h>

#include <cstring>

namespace {

constexpr std::uint32_t kAtkbdExtendedBit = 0x80;
constexpr std::uint32_t kAtkbdCodeMask = 0x7F;
constexpr std::uint32_t kAtkbdMaxReport = 0xFF;
// A hotkey driver's codes that are scan codes: one byte, as the firmware sends them.
constexpr std::uint32_t kHotkeyMaxReport = 0xFF;
constexpr std::uint32_t kFirstHidUsage = 0x10000;

// HID usages (page << 16 | id) that Windows's HID keyboard driver reports as E0-prefixed scan codes
// (Microsoft's published keyboard scan-code tables: HID usage to PS/2 translation).
struct HidExtendedKey {
    std::uint32_t usage;
    std::uint32_t scanCode;
};
constexpr HidExtendedKey kHidExtendedKeys[] = {
    // Generic desktop: system power, sleep, wake.
    {0x10081, 0x5E}, {0x10082, 0x5F}, {0x10083, 0x63},
    // Keyboard page.
    {0x70046, 0x37}, // Print Screen
    {0x70049, 0x52}, {0x7004A, 0x47}, {0x7004B, 0x49}, // Insert, Home, Page Up
    {0x7004C, 0x53}, {0x7004D, 0x4F}, {0x7004E, 0x51}, // Delete, End, Page Down
    {0x7004F, 0x4D}, {0x70050, 0x4B}, {0x70051, 0x50}, {0x70052, 0x48}, // arrows: right, left, down, up
    {0x70054, 0x35}, {0x70058, 0x1C}, // keypad "/" and Enter
    {0x70065, 0x5D}, {0x70066, 0x5E}, // Application, Power
    {0x700E3, 0x5B}, {0x700E4, 0x1D}, {0x700E6, 0x38}, {0x700E7, 0x5C}, // left GUI, right Ctrl, right Alt, right GUI
    // Consumer page.
    {0xC00B5, 0x19}, {0xC00B6, 0x10}, {0xC00B7, 0x24}, {0xC00CD, 0x22}, // next, previous, stop, play/pause
    {0xC00E2, 0x20}, {0xC00E9, 0x30}, {0xC00EA, 0x2E}, // mute, volume up, volume down
    {0xC0183, 0x6D}, {0xC018A, 0x6C}, {0xC0192, 0x21}, {0xC0194, 0x6B}, // media, mail, calculator, computer
    {0xC0221, 0x65}, {0xC0223, 0x32}, {0xC0224, 0x6A}, {0xC0225, 0x69}, // search, home, back, forward
    {0xC0226, 0x68}, {0xC0227, 0x67}, {0xC022A, 0x66}, // stop, refresh, favourites
};

constexpr std::int32_t kKeyRelease = 0;
constexpr std::int32_t kKeyPress = 1;

std::optional<std::uint32_t> hidScanCode(std::uint32_t usage)
{
    for (const HidExtendedKey& key : kHidExtendedKeys) {
        if (key.usage == usage)
            return key.scanCode;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint32_t> PanelScanCode(KeyDeviceKind kind, std::uint16_t bus, std::uint32_t scanReport)
{
    if (scanReport >= kFirstHidUsage)
        return hidScanCode(scanReport);
    if (kind == KeyDeviceKind::Keyboard) {
        if (bus == BUS_I8042 && scanReport & kAtkbdExtendedBit && scanReport <= kAtkbdMaxReport)
            return scanReport & kAtkbdCodeMask;
        return std::nullopt;
    }
    if (scanReport == 0 || scanReport > kHotkeyMaxReport)
        return std::nullopt;
    return scanReport;
}

std::vector<PanelKeyEvent> EvdevKeyDecoder::Feed(const void* data, std::size_t size)
{
    std::vector<PanelKeyEvent> out;
    m_partial.append(static_cast<const char*>(data), size);
    std::size_t offset = 0;
    while (m_partial.size() - offset >= sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, m_partial.data() + offset, sizeof event);
        offset += sizeof event;
        HandleEvent(event.type, event.code, event.value, out);
    }
    m_partial.erase(0, offset);
    return out;
}

void EvdevKeyDecoder::HandleEvent(std::uint16_t type, std::uint16_t code, std::int32_t value,
                                  std::vector<PanelKeyEvent>& out)
{
    if (type == EV_SYN) {
        if (code == SYN_DROPPED) {
            m_dropped = true;
        } else if (code == SYN_REPORT) {
            m_dropped = false;
        }
        m_scan.reset();
        return;
    }
    if (m_dropped)
        return;
    if (type == EV_MSC && code == MSC_SCAN) {
        m_scan = static_cast<std::uint32_t>(value);
        return;
    }
    if (type != EV_KEY || !m_scan || (value != kKeyPress && value != kKeyRelease))
        return;
    if (const auto scanCode = PanelScanCode(m_kind, m_bus, *m_scan))
        out.push_back({*scanCode, value == kKeyPress});
    m_scan.reset();
}
