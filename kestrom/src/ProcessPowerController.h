#pragma once

#include "PowerController.h"

namespace tarvik::kestrom {

// The power controller of this process, chosen once from the platform: the virtual board's, or on
// real hardware the Linux one over /sys, with the wake by time kept in
// $XDG_STATE_HOME/tarvik/rtc-wake.ini (default ~/.local/state/tarvik/rtc-wake.ini).
PowerController& processPowerController();

// Puts a controller in front of the process's own until called again with nullptr (tests only).
void overrideProcessPowerController(PowerController* controller);

} // namespace tarvik::kestrom
