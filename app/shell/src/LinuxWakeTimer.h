#pragma once

#include "WakeTimer.h"

#include <string>

// The wake timer of a real machine: a timerfd on CLOCK_REALTIME_ALARM, which wakes the machine from
// suspend and needs CAP_WAKE_ALARM; without that capability, the real-time clock's wake alarm
// (/sys/class/rtc/rtc0/wakealarm, writable by root or through a udev rule). Neither: no timer.
class LinuxWakeTimer final : public WakeTimer {
public:
    explicit LinuxWakeTimer(std::string rtcWakeAlarm = "/sys/class/rtc/rtc0/wakealarm");
    ~LinuxWakeTimer() override;

    bool Create() override;
    bool SetAbsolute(std::int64_t dueUtcUnits) override;
    void Close() override;

private:
    enum class Kind { None, AlarmTimer, RtcWakeAlarm };

    std::string m_rtcWakeAlarm;
    Kind m_kind = Kind::None;
    int m_fd = -1;
};
