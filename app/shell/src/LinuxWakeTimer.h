#pragma once

#include "WakeTimer.h"

#include <functional>
#include <string>

// The wake timer of a real machine: a timerfd on CLOCK_REALTIME_ALARM, which wakes the machine from
// suspend and needs CAP_WAKE_ALARM; without that capability, the real-time clock's wake alarm
// (/sys/class/rtc/rtc0/wakealarm, writable by root or through a udev rule). Neither: no timer.
class LinuxWakeTimer final : public WakeTimer {
public:
    // Makes the alarm timer: a timerfd to arm with an absolute CLOCK_REALTIME time, or -1.
    using AlarmTimerMaker = std::function<int()>;

    explicit LinuxWakeTimer(std::string rtcWakeAlarm = "/sys/class/rtc/rtc0/wakealarm",
                            AlarmTimerMaker makeAlarmTimer = &LinuxWakeTimer::MakeAlarmTimer);
    ~LinuxWakeTimer() override;

    bool Create() override;
    bool SetAbsolute(std::int64_t dueUtcUnits) override;
    void Close() override;

    // timerfd_create(CLOCK_REALTIME_ALARM): -1 without CAP_WAKE_ALARM or without an RTC that wakes.
    static int MakeAlarmTimer();

private:
    enum class Kind { None, AlarmTimer, RtcWakeAlarm };

    std::string m_rtcWakeAlarm;
    AlarmTimerMaker m_makeAlarmTimer;
    Kind m_kind = Kind::None;
    int m_fd = -1;
};
