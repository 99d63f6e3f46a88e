#pragma once

#include "DeviceList.h"

#include <string>

namespace tarvik {

// The device list of the board profile's [devices] section.
class SimDeviceList final : public DeviceList {
public:
    explicit SimDeviceList(std::string boardDir);
    std::optional<std::vector<DeviceEntry>> presentDevices(DeviceClass deviceClass, bool withInterfaces) override;

private:
    std::string boardDir_;
};

} // namespace tarvik
