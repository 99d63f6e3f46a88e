#pragma once

#include "TarvikPlatformExport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

// The two device classes the module port search looks at.
enum class DeviceClass {
    Ports, // {4D36E978-E325-11CE-BFC1-08002BE10318}: serial (COM) ports
    Modem, // {4D36E96D-E325-11CE-BFC1-08002BE10318}: modems
};

using ClassGuid = std::array<std::uint8_t, 16>;

// One present device. A property the system could not read is nullopt.
struct DeviceEntry {
    ClassGuid classGuid{};                     // all zeros: the device has no class
    std::optional<std::wstring> description;  // device description, e.g. "Sierra Wireless WWAN Modem"
    std::optional<std::wstring> friendlyName; // e.g. "u-blox GNSS Receiver (COM3)"
    std::optional<std::wstring> portName;     // "PortName" of the hardware key, e.g. "COM7"
};

class DeviceList {
public:
    virtual ~DeviceList() = default;

    // The present devices of a class, in the system's order; nullopt when the list cannot be made.
    // withInterfaces asks for devices that expose an interface (it changes nothing on Linux).
    virtual std::optional<std::vector<DeviceEntry>> presentDevices(DeviceClass deviceClass,
                                                                   bool withInterfaces) = 0;
};

TARVIK_PLATFORM_EXPORT ClassGuid classGuidOf(DeviceClass deviceClass);

TARVIK_PLATFORM_EXPORT DeviceList& processDeviceList();
TARVIK_PLATFORM_EXPORT void overrideProcessDeviceList(DeviceList* deviceList);

} // namespace tarvik
