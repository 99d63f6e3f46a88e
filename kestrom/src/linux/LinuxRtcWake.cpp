#include "LinuxRtcWake.h"

#include "SysfsAttribute.h"
#include "SysfsValues.h"

namespace tarvik::kestrom {

namespace {

// Writing a time in the past (0) disarms the alarm; the kernel refuses to arm over an armed alarm
// (EBUSY), so arming always disarms first.
constexpr const char* kDisarm = "0";

WakeTime localTimeOfDay(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return WakeTime{static_cast<std::uint8_t>(local.tm_hour), static_cast<std::uint8_t>(local.tm_min),
                    static_cast<std::uint8_t>(local.tm_sec % 60)};
}

} // namespace

LinuxRtcWake::LinuxRtcWake(std::string sysRoot, std::string statePath, Clock now)
    : alarmPath_(std::move(sysRoot) + "/class/rtc/rtc0/wakealarm"), store_(std::move(statePath)),
      now_(std::move(now))
{
}

bool LinuxRtcWake::hasAlarm() { return sysfs::readAttribute(alarmPath_).has_value(); }

bool LinuxRtcWake::arm(WakeTime time)
{
    const std::time_t now = now_();
    const std::time_t when = now + sysfs::secondsUntil(localTimeOfDay(now), time);
    return sysfs::writeAttribute(alarmPath_, kDisarm) && sysfs::writeAttribute(alarmPath_, std::to_string(when));
}

bool LinuxRtcWake::apply(const RtcWakeSetting& setting, bool setAlarm)
{
    if (!hasAlarm())
        return false;
    const RtcWakeSetting old = store_.load();
    if (!store_.save(setting))
        return false;
    if (!setAlarm || (setting.enabled ? arm(setting.time) : sysfs::writeAttribute(alarmPath_, kDisarm)))
        return true;
    // The alarm refused (no permission): the stored setting must not claim otherwise.
    store_.save(old);
    return false;
}

std::optional<bool> LinuxRtcWake::enabled()
{
    if (!hasAlarm())
        return std::nullopt;
    return store_.load().enabled;
}

bool LinuxRtcWake::setEnabled(bool on)
{
    RtcWakeSetting setting = store_.load();
    setting.enabled = on;
    // Switching off disarms whatever armed the alarm (the program's suspend may have).
    return apply(setting, true);
}

std::optional<WakeTime> LinuxRtcWake::wakeTime()
{
    if (!hasAlarm())
        return std::nullopt;
    return store_.load().time;
}

bool LinuxRtcWake::setWakeTime(WakeTime time)
{
    RtcWakeSetting setting = store_.load();
    setting.time = time;
    return apply(setting, setting.enabled);
}

} // namespace tarvik::kestrom
