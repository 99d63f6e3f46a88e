#pragma once

#include "PowerState.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvik {
class Sleeper;
}

namespace tarvik::kestrom {

using board::Nominal;
using board::PowerValue;
using board::Threshold;

struct WakeTime {
    std::uint8_t hour;
    std::uint8_t minute;
    std::uint8_t second;
};

// The power controller of the machine as the library reaches it. Values handed to it have been
// checked already (PowerRules); it only stores and fetches them. Reads return nullopt and writes
// false when the machine cannot do it.
class PowerController {
public:
    virtual ~PowerController() = default;

    virtual std::optional<std::int32_t> read(PowerValue value) = 0;
    virtual bool write(PowerValue value, std::int32_t v) = 0;

    virtual std::optional<float> readThreshold(Nominal nominal, Threshold threshold) = 0;
    virtual bool writeThreshold(Nominal nominal, Threshold threshold, float volts) = 0;

    virtual std::optional<WakeTime> readWakeTime() = 0;
    virtual bool writeWakeTime(WakeTime time) = 0;

    // The SMS wake code; nullopt when the store is not initialised or holds no code.
    virtual std::optional<std::string> readSmsCode() = 0;
    // False when the store is not initialised.
    virtual bool writeSmsCode(const std::string& code) = 0;
    // Initialises (and empties) the store, taking as long as the hardware does, on `sleeper`.
    virtual bool initialiseSmsStore(Sleeper& sleeper) = 0;

    // nullopt when the machine has no such board or does not say.
    virtual std::optional<bool> highVoltagePowerBoard() = 0;
    virtual std::optional<std::int32_t> vehicleBatteryMillivolts() = 0;

    // Forces an expiry of the running watchdog; false when it is not running.
    virtual bool forceWatchdogExpiry() = 0;
    virtual bool clearEmergencyLatch() = 0;

    // True when the machine has been told to make this library method fail (fault injection).
    virtual bool methodFails(const char* method) = 0;
};

} // namespace tarvik::kestrom
