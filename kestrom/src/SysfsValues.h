#pragma once

#include "PowerController.h"

#include <optional>
#include <string_view>

// Arithmetic of the Linux back ends, kept apart from their file access so tests link it alone.
namespace tarvik::kestrom::sysfs {

// A decimal integer as a sysfs attribute reads ("42\n"); nullopt for anything else.
std::optional<long long> parseInteger(std::string_view text);

// Backlight levels 0..max as 0-100 and back, rounded to the nearest step. max must be positive.
int percentFromLevel(long long level, long long max);
long long levelFromPercent(int percent, long long max);

// Seconds from `now` to the next time the clock shows `target`: 1 to 86400 (a target equal to now
// is tomorrow's). Days are taken as 86400 s; a daylight-saving change in between shifts the wake by
// that hour.
long secondsUntil(WakeTime now, WakeTime target);

} // namespace tarvik::kestrom::sysfs
