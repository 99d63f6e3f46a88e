#pragma once

#include "PowerController.h"

#include <optional>
#include <string>
#include <string_view>

// Kestrom's wake by time on real hardware, as its state file keeps it. The kernel's RTC alarm holds
// a time only while armed and forgets it once fired, so the switch and the time the user set are
// Kestrom's own, kept in this file; the alarm follows them.
namespace tarvik::kestrom {

struct RtcWakeSetting {
    bool enabled = false;
    // The virtual board's factory time, so that both machines start alike.
    WakeTime time{7, 0, 0};
};

// The file's text:
//   # Kestrom: wake at a time of day
//   WakeOnRtc=1
//   WakeTime=07:30:00
std::string formatRtcWakeSetting(const RtcWakeSetting& setting);

// The setting a file's text gives; nullopt when a line is not one of the two, a value is out of
// range or a value is missing. Blank lines and lines starting with '#' are skipped.
std::optional<RtcWakeSetting> parseRtcWakeSetting(std::string_view text);

// Where the state file is: $XDG_STATE_HOME/tarvik/rtc-wake.ini when XDG_STATE_HOME is an absolute
// path, else <home>/.local/state/tarvik/rtc-wake.ini; empty when neither is usable. Null or
// empty arguments count as unset.
std::string rtcWakeStatePath(const char* xdgStateHome, const char* home);

} // namespace tarvik::kestrom
