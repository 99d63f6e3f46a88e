#include "LinuxPowerController.h"

namespace tarvik::kestrom {

LinuxRtcWake::Clock LinuxPowerController::defaultClock()
{
    return [] { return std::time(nullptr); };
}

LinuxPowerController::LinuxPowerController(const std::string& sysRoot, std::string rtcStatePath,
                                           LinuxRtcWake::Clock now)
    : backlight_(sysRoot), ups_(sysRoot), rtc_(sysRoot, std::move(rtcStatePath), std::move(now))
{
}

std::optional<std::int32_t> LinuxPowerController::read(PowerValue value)
{
    switch (value) {
    case PowerValue::Brightness:
        return backlight_.percent();
    case PowerValue::UpsCapacity:
        return ups_.capacity();
    case PowerValue::WakeOnRtc:
        if (const auto on = rtc_.enabled())
            return *on ? 1 : 0;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool LinuxPowerController::write(PowerValue value, std::int32_t v)
{
    switch (value) {
    case PowerValue::Brightness:
        return backlight_.setPercent(v);
    case PowerValue::WakeOnRtc:
        return rtc_.setEnabled(v != 0);
    default:
        return false;
    }
}

std::optional<WakeTime> LinuxPowerController::readWakeTime() { return rtc_.wakeTime(); }
bool LinuxPowerController::writeWakeTime(WakeTime time) { return rtc_.setWakeTime(time); }

// The rest is the vendor driver's: nothing in Linux stands in for it.
std::optional<float> LinuxPowerController::readThreshold(Nominal, Threshold) { return std::nullopt; }
bool LinuxPowerController::writeThreshold(Nominal, Threshold, float) { return false; }
std::optional<std::string> LinuxPowerController::readSmsCode() { return std::nullopt; }
bool LinuxPowerController::writeSmsCode(const std::string&) { return false; }
bool LinuxPowerController::initialiseSmsStore(Sleeper&) { return false; }
std::optional<bool> LinuxPowerController::highVoltagePowerBoard() { return std::nullopt; }
std::optional<std::int32_t> LinuxPowerController::vehicleBatteryMillivolts() { return std::nullopt; }
bool LinuxPowerController::forceWatchdogExpiry() { return false; }
bool LinuxPowerController::clearEmergencyLatch() { return false; }
bool LinuxPowerController::methodFails(const char*) { return false; }

} // namespace tarvik::kestrom
