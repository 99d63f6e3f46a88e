#include "WakeSchedule.h"

std::int32_t SecondsOfDay(TimeOfDay time) { return (time.hour * 60 + time.minute) * 60 + time.second; }

std::int32_t WakeDelaySeconds(TimeOfDay wake, TimeOfDay now)
{
    const std::int32_t wakeSeconds = SecondsOfDay(wake);
    const std::int32_t nowSeconds = SecondsOfDay(now);
    std::int32_t delay = wakeSeconds - nowSeconds;
    if (nowSeconds > wakeSeconds)
        delay += kSecondsPerDay;
    return delay;
}

std::int64_t WakeDueTime(std::int64_t nowUtcUnits, std::int32_t delaySeconds)
{
    return nowUtcUnits + static_cast<std::int64_t>(delaySeconds) * kTimerUnitsPerSecond;
}
