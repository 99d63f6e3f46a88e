#pragma once

#include <optional>
#include <string>

namespace tarvik::kestrom {

// The UPS charge through /sys/class/power_supply: a supply of type "UPS", else the first "Battery"
// (the vehicle computer's own pack shows as one). Batteries of peripherals (scope "Device") and
// supplies reported absent are passed over. The charge is "capacity", else charge_now/charge_full
// or energy_now/energy_full, which some drivers give instead.
class LinuxUpsBattery {
public:
    explicit LinuxUpsBattery(std::string sysRoot);

    // Percent 0-100; nullopt without a usable supply.
    std::optional<int> capacity() const;

private:
    std::string sysRoot_;
};

} // namespace tarvik::kestrom
