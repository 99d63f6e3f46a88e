#include "InnerCmd.h"

#include <array>
#include <cwctype>
#include <string>
#include <utility>

namespace {

constexpr std::array<std::pair<const wchar_t*, InnerCmd>, 8> kInnerCmds = {{
    {L"switchutility_home", INNER_CMD_SWITCH_HOME},
    {L"switchutility_system", INNER_CMD_SWITCH_SYSTEM},
    {L"switchutility_vehicle", INNER_CMD_SWITCH_VEHICLE},
    {L"brightnessup", INNER_CMD_BRIGHTNESS_UP},
    {L"brightnessdown", INNER_CMD_BRIGHTNESS_DOWN},
    {L"volumeup", INNER_CMD_VOLUME_UP},
    {L"volumedown", INNER_CMD_VOLUME_DOWN},
    {L"ctrl_alt_del", INNER_CMD_CTRL_ALT_DEL},
}};

} // namespace

InnerCmd InnerCmdFromText(std::wstring_view cmd)
{
    std::wstring lower(cmd);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    for (const auto& [name, value] : kInnerCmds) {
        if (lower == name)
            return value;
    }
    return INNER_CMD_NONE;
}
