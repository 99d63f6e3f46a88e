#pragma once

#include "PowerController.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace tarvik::kestrom {

// Wake at a time of day through the RTC alarm, /sys/class/rtc/rtc0/wakealarm (seconds since 1970;
// empty while disarmed). The alarm is armed for the next time the local clock shows the wake time.
// The kernel's alarm fires once, where the platform's wake repeats daily; the program arms its own
// wake timer at every suspend. The kernel keeps only the time of an armed alarm, so a wake time is
// taken only while armed; switching on arms the time last used in this process, else this time of
// day tomorrow. Writing needs root (or a udev rule for the user).
class LinuxRtcWake {
public:
    using Clock = std::function<std::time_t()>;

    LinuxRtcWake(std::string sysRoot, Clock now);

    // nullopt when there is no RTC alarm.
    std::optional<bool> armed();
    bool setArmed(bool on);
    // nullopt when disarmed or unreadable.
    std::optional<WakeTime> wakeTime();
    // False while disarmed.
    bool setWakeTime(WakeTime time);

private:
    // 0 when disarmed; nullopt when unreadable.
    std::optional<std::time_t> alarm();
    bool arm(WakeTime time);

    std::string path_;
    Clock now_;
    std::optional<WakeTime> lastTime_;
};

} // namespace tarvik::kestrom
