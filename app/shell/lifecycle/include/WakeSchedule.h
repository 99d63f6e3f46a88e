#pragma once

#include <cstdint>

// When the machine must wake from a suspend: the wake-up time of day the power controller keeps,
// seen from the local time of day at which the suspend begins.

inline constexpr std::int32_t kSecondsPerDay = 86400;
// Timer due times count in 100-nanosecond units.
inline constexpr std::int64_t kTimerUnitsPerSecond = 10'000'000;

struct TimeOfDay {
    int hour;
    int minute;
    int second;
};

// (hour x 60 + minute) x 60 + second.
std::int32_t SecondsOfDay(TimeOfDay time);

// Seconds from `now` until `wake`: the difference, plus a day when `now` is later than `wake`.
// Equal times give 0, so a wake time of now fires at once.
std::int32_t WakeDelaySeconds(TimeOfDay wake, TimeOfDay now);

// The absolute due time: now (UTC, 100-ns units since 1970) plus the delay, in 64 bits (a day is
// 8.64e11 units, far beyond 32 bits).
std::int64_t WakeDueTime(std::int64_t nowUtcUnits, std::int32_t delaySeconds);
