#pragma once

#include "PowerController.h"
#include "RtcWakeStore.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace tarvik::kestrom {

// Wake at a time of day through the RTC alarm, /sys/class/rtc/rtc0/wakealarm (seconds since 1970;
// empty while disarmed). The kernel keeps a time only while the alarm is armed and forgets it once
// the alarm has fired, so the switch and the wake time are kept in a state file of Kestrom's own
// (RtcWakeStore) and the alarm follows them: while the switch is on it is armed for the next time
// the local clock shows the wake time; switching off disarms it; a time set while off is only
// stored. The time can be read and set whatever the switch, as on the platform's library. The
// kernel's alarm fires once, where the platform's wake repeats daily; the program arms its own wake
// timer at every suspend. Every call fails while there is no alarm device. Writing the alarm needs
// root (or a udev rule for the user).
class LinuxRtcWake {
public:
    using Clock = std::function<std::time_t()>;

    LinuxRtcWake(std::string sysRoot, std::string statePath, Clock now);

    // The switch; nullopt when there is no RTC alarm.
    std::optional<bool> enabled();
    bool setEnabled(bool on);
    // The wake time; nullopt when there is no RTC alarm.
    std::optional<WakeTime> wakeTime();
    bool setWakeTime(WakeTime time);

private:
    bool hasAlarm();
    // Stores `setting` and, when setAlarm, arms or disarms the alarm by its switch; on failure both
    // stay as they were.
    bool apply(const RtcWakeSetting& setting, bool setAlarm);
    bool arm(WakeTime time);

    std::string alarmPath_;
    RtcWakeStore store_;
    Clock now_;
};

} // namespace tarvik::kestrom
