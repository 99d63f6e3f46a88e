#pragma once

#include "LinuxBacklight.h"
#include "LinuxRtcWake.h"
#include "LinuxUpsBattery.h"
#include "PowerController.h"

#include <string>

namespace tarvik::kestrom {

// The power controller on real hardware without the platform's vendor driver: the backlight, the
// UPS charge and the RTC wake through sysfs; every other value fails. rtcStatePath is the state
// file of the wake by time (see LinuxRtcWake). sysRoot and the clock are there for tests (a fake
// tree in a temporary folder).
class LinuxPowerController final : public PowerController {
public:
    LinuxPowerController(const std::string& sysRoot, std::string rtcStatePath,
                         LinuxRtcWake::Clock now = defaultClock());

    std::optional<std::int32_t> read(PowerValue value) override;
    bool write(PowerValue value, std::int32_t v) override;
    std::optional<float> readThreshold(Nominal nominal, Threshold threshold) override;
    bool writeThreshold(Nominal nominal, Threshold threshold, float volts) override;
    std::optional<WakeTime> readWakeTime() override;
    bool writeWakeTime(WakeTime time) override;
    std::optional<std::string> readSmsCode() override;
    bool writeSmsCode(const std::string& code) override;
    bool initialiseSmsStore(Sleeper& sleeper) override;
    std::optional<bool> highVoltagePowerBoard() override;
    std::optional<std::int32_t> vehicleBatteryMillivolts() override;
    bool forceWatchdogExpiry() override;
    bool clearEmergencyLatch() override;
    bool methodFails(const char* method) override;

private:
    static LinuxRtcWake::Clock defaultClock();

    LinuxBacklight backlight_;
    LinuxUpsBattery ups_;
    LinuxRtcWake rtc_;
};

} // namespace tarvik::kestrom
