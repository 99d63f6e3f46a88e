#pragma once

#include <cstdint>
#include <string_view>

// The tray window's own commands, named by the cmd text of a type-1 function.
enum InnerCmd : std::int32_t {
    INNER_CMD_NONE = 0,
    INNER_CMD_SWITCH_HOME = 1,    // "switchutility_home": open or close the main window
    INNER_CMD_SWITCH_SYSTEM = 2,  // "switchutility_system": the system settings page
    INNER_CMD_SWITCH_VEHICLE = 3, // "switchutility_vehicle": the vehicle status page
    INNER_CMD_BRIGHTNESS_UP = 4,  // "brightnessup"
    INNER_CMD_BRIGHTNESS_DOWN = 5, // "brightnessdown"
    INNER_CMD_VOLUME_UP = 6,      // "volumeup": nothing
    INNER_CMD_VOLUME_DOWN = 7,    // "volumedown": nothing
    INNER_CMD_CTRL_ALT_DEL = 8,   // "ctrl_alt_del": nothing
};

// The command named by a cmd text, compared after lower-casing the whole text; anything but an
// exact name is INNER_CMD_NONE.
InnerCmd InnerCmdFromText(std::wstring_view cmd);
