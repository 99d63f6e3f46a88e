#include "LinuxWakeTimer.h"

#include "WakeSchedule.h"

#include <fcntl.h>
#include <fstream>
#include <sys/timerfd.h>
#include <unistd.h>

LinuxWakeTimer::LinuxWakeTimer(std::string rtcWakeAlarm, AlarmTimerMaker makeAlarmTimer)
    : m_rtcWakeAlarm(std::move(rtcWakeAlarm)), m_makeAlarmTimer(std::move(makeAlarmTimer))
{
}

int LinuxWakeTimer::MakeAlarmTimer() { return timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK); }

LinuxWakeTimer::~LinuxWakeTimer() { Close(); }

bool LinuxWakeTimer::Create()
{
    if (m_kind != Kind::None)
        return true;
    // Nothing reads the timer: its only purpose is to wake the machine, so no notifier watches it.
    m_fd = m_makeAlarmTimer();
    if (m_fd >= 0) {
        m_kind = Kind::AlarmTimer;
        return true;
    }
    if (access(m_rtcWakeAlarm.c_str(), W_OK) == 0) {
        m_kind = Kind::RtcWakeAlarm;
        return true;
    }
    return false;
}

bool LinuxWakeTimer::SetAbsolute(std::int64_t dueUtcUnits)
{
    const std::int64_t seconds = dueUtcUnits / kTimerUnitsPerSecond;
    switch (m_kind) {
    case Kind::AlarmTimer: {
        itimerspec spec{};
        spec.it_value.tv_sec = static_cast<time_t>(seconds);
        spec.it_value.tv_nsec = static_cast<long>((dueUtcUnits % kTimerUnitsPerSecond) * 100);
        // A due time already past is still a valid arming: the timer fires at once.
        if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
            spec.it_value.tv_nsec = 1;
        return timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &spec, nullptr) == 0;
    }
    case Kind::RtcWakeAlarm: {
        // The kernel refuses a new alarm while one is set: clear it first.
        std::ofstream clear(m_rtcWakeAlarm);
        clear << 0 << std::flush;
        if (!clear)
            return false;
        std::ofstream alarm(m_rtcWakeAlarm);
        alarm << seconds << std::flush;
        return static_cast<bool>(alarm);
    }
    case Kind::None: break;
    }
    return false;
}

void LinuxWakeTimer::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_kind = Kind::None;
}
