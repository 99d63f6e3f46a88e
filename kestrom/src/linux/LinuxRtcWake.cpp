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

LinuxRtcWake::LinuxRtcWake(std::string sysRoot, Clock now)
    : path_(std::move(sysRoot) + "/class/rtc/rtc0/wakealarm"), now_(std::move(now))
{
}

std::optional<std::time_t> LinuxRtcWake::alarm()
{
    const auto text = sysfs::readAttribute(path_);
    if (!text)
        return std::nullopt;
    if (text->find_first_not_of(" \n") == std::string::npos)
        return 0;
    const auto when = sysfs::parseInteger(*text);
    if (!when || *when < 0)
        return std::nullopt;
    return static_cast<std::time_t>(*when);
}

std::optional<bool> LinuxRtcWake::armed()
{
    const auto when = alarm();
    if (!when)
        return std::nullopt;
    return *when != 0;
}

bool LinuxRtcWake::arm(WakeTime time)
{
    const std::time_t now = now_();
    const std::time_t when = now + sysfs::secondsUntil(localTimeOfDay(now), time);
    if (!sysfs::writeAttribute(path_, kDisarm) || !sysfs::writeAttribute(path_, std::to_string(when)))
        return false;
    lastTime_ = time;
    return true;
}

bool LinuxRtcWake::setArmed(bool on)
{
    const auto when = alarm();
    if (!when)
        return false;
    if (!on) {
        if (*when != 0)
            lastTime_ = localTimeOfDay(*when);
        return sysfs::writeAttribute(path_, kDisarm);
    }
    if (*when != 0)
        return true;
    return arm(lastTime_.value_or(localTimeOfDay(now_())));
}

std::optional<WakeTime> LinuxRtcWake::wakeTime()
{
    const auto when = alarm();
    if (!when || *when == 0)
        return std::nullopt;
    return localTimeOfDay(*when);
}

bool LinuxRtcWake::setWakeTime(WakeTime time)
{
    const auto when = alarm();
    if (!when || *when == 0)
        return false;
    return arm(time);
}

} // namespace tarvik::kestrom
