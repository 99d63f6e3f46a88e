#include "SysfsValues.h"

#include <algorithm>
#include <charconv>

namespace tarvik::kestrom::sysfs {

namespace {
constexpr long kSecondsPerDay = 86400;

long secondsOfDay(WakeTime t) { return t.hour * 3600L + t.minute * 60L + t.second; }
} // namespace

std::optional<long long> parseInteger(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int percentFromLevel(long long level, long long max)
{
    level = std::clamp(level, 0LL, max);
    return static_cast<int>((level * 100 + max / 2) / max);
}

long long levelFromPercent(int percent, long long max)
{
    const long long p = std::clamp(percent, 0, 100);
    return (p * max + 50) / 100;
}

long secondsUntil(WakeTime now, WakeTime target)
{
    const long delta = secondsOfDay(target) - secondsOfDay(now);
    return delta > 0 ? delta : delta + kSecondsPerDay;
}

} // namespace tarvik::kestrom::sysfs
