#include "KeyDevices.h"

#include <algorithm>
#include <cwctype>

namespace {

// udev's ID_INPUT_KEY: key codes that are keys, not buttons (src/udev/udev-builtin-input_id.c,
// test_key: below BTN_MISC, and the blocks KEY_OK..BTN_DPAD_UP and KEY_ALS_TOGGLE..BTN_TRIGGER_HAPPY).
struct KeyBlock {
    unsigned first;
    unsigned end;
};
constexpr KeyBlock kKeyBlocks[] = {{KEY_ESC, BTN_MISC}, {KEY_OK, BTN_DPAD_UP}, {KEY_ALS_TOGGLE, BTN_TRIGGER_HAPPY}};

// udev's ID_INPUT_KEYBOARD: every key code from Escape to S.
constexpr unsigned kFirstKeyboardKey = KEY_ESC;
constexpr unsigned kLastKeyboardKey = KEY_S;

constexpr wchar_t kNone[] = L"none";

bool hasKeys(const KeyDeviceDescription& device)
{
    for (const KeyBlock& block : kKeyBlocks) {
        for (unsigned key = block.first; key < block.end; ++key) {
            if (device.keys.test(key))
                return true;
        }
    }
    return false;
}

std::wstring_view trimmed(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isNone(std::wstring_view text)
{
    if (text.size() != std::char_traits<wchar_t>::length(kNone))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(kNone[i]))
            return false;
    }
    return true;
}

} // namespace

KeyDeviceKind ClassifyKeyDevice(const KeyDeviceDescription& device)
{
    bool fullKeyboard = true;
    for (unsigned key = kFirstKeyboardKey; key <= kLastKeyboardKey; ++key)
        fullKeyboard = fullKeyboard && device.keys.test(key);
    if (fullKeyboard)
        return KeyDeviceKind::Keyboard;
    if (device.scanReports && !device.pointerAxes && hasKeys(device))
        return KeyDeviceKind::Hotkeys;
    return KeyDeviceKind::Other;
}

bool ReadByDefault(KeyDeviceKind kind) { return kind != KeyDeviceKind::Other; }

KeyboardDeviceSetting ParseKeyboardDevices(std::wstring_view setting)
{
    const std::wstring_view whole = trimmed(setting);
    if (whole.empty())
        return {};
    if (isNone(whole))
        return {KeyboardDeviceSetting::Choice::None, {}};
    KeyboardDeviceSetting named{KeyboardDeviceSetting::Choice::Named, {}};
    std::size_t start = 0;
    while (start <= whole.size()) {
        const std::size_t comma = std::min(whole.find(L',', start), whole.size());
        const std::wstring_view part = trimmed(whole.substr(start, comma - start));
        if (!part.empty())
            named.paths.emplace_back(part);
        start = comma + 1;
    }
    // Only commas: nothing is named after all.
    if (named.paths.empty())
        return {};
    return named;
}
