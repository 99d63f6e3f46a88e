#include "RtcWakeSetting.h"

#include <charconv>
#include <cstdio>

namespace tarvik::kestrom {

namespace {

constexpr std::string_view kEnabledKey = "WakeOnRtc";
constexpr std::string_view kTimeKey = "WakeTime";
constexpr const char* kStateFile = "tarvik/rtc-wake.ini";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Exactly two decimal digits, at most `limit`.
std::optional<std::uint8_t> twoDigits(std::string_view text, unsigned limit)
{
    unsigned value = 0;
    if (text.size() != 2)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + 2, value);
    if (error != std::errc() || end != text.data() + 2 || value > limit)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// "HH:MM:SS".
std::optional<WakeTime> parseTime(std::string_view text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return std::nullopt;
    const auto hour = twoDigits(text.substr(0, 2), 23);
    const auto minute = twoDigits(text.substr(3, 2), 59);
    const auto second = twoDigits(text.substr(6, 2), 59);
    if (!hour || !minute || !second)
        return std::nullopt;
    return WakeTime{*hour, *minute, *second};
}

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

} // namespace

std::string formatRtcWakeSetting(const RtcWakeSetting& setting)
{
    char time[16];
    std::snprintf(time, sizeof time, "%02u:%02u:%02u", static_cast<unsigned>(setting.time.hour),
                  static_cast<unsigned>(setting.time.minute), static_cast<unsigned>(setting.time.second));
    return "# Kestrom: wake at a time of day\n" + std::string(kEnabledKey) + "=" + (setting.enabled ? "1" : "0") +
           "\n" + std::string(kTimeKey) + "=" + time + "\n";
}

std::optional<RtcWakeSetting> parseRtcWakeSetting(std::string_view text)
{
    std::optional<bool> enabled;
    std::optional<WakeTime> time;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (key == kEnabledKey && (value == "0" || value == "1"))
            enabled = value == "1";
        else if (key == kTimeKey && parseTime(value))
            time = parseTime(value);
        else
            return std::nullopt;
    }
    if (!enabled || !time)
        return std::nullopt;
    return RtcWakeSetting{*enabled, *time};
}

std::string rtcWakeStatePath(const char* xdgStateHome, const char* home)
{
    if (isAbsolute(xdgStateHome)) {
        std::string base = xdgStateHome;
        if (base.back() != '/')
            base += '/';
        return base + kStateFile;
    }
    if (!isAbsolute(home))
        return {};
    std::string base = home;
    if (base.back() != '/')
        base += '/';
    return base + ".local/state/" + kStateFile;
}

} // namespace tarvik::kestrom
