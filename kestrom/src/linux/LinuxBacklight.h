#pragma once

#include <optional>
#include <string>

namespace tarvik::kestrom {

// The display backlight through /sys/class/backlight, as 0-100. With several devices the one the
// kernel recommends is taken: type "firmware" before "platform" before "raw", then by name.
// Writing needs write access to the brightness attribute (root, or a udev rule for the user).
class LinuxBacklight {
public:
    explicit LinuxBacklight(std::string sysRoot);

    // nullopt when there is no usable backlight.
    std::optional<int> percent();
    bool setPercent(int percent);

private:
    struct Device {
        std::string dir;
        long long maxLevel;
    };
    std::optional<Device> device() const;

    std::string sysRoot_;
    // The last percentage written and the level it became. A backlight with few levels would
    // otherwise read back a different percentage, and the brightness keys' steps of 10 could stick
    // (100 - 10 = 90 rounds back up to 100 on an 8-level backlight).
    std::string lastDir_;
    int lastPercent_ = -1;
    long long lastLevel_ = -1;
};

} // namespace tarvik::kestrom
