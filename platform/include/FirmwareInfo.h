#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// The firmware information the operating system publishes about the board. Value names are those
// of the firmware: "BIOSVersion", "SystemSKU", "BaseBoardVersion" (strings) and
// "ECFirmwareMajorRelease", "ECFirmwareMinorRelease" (numbers). Values are read anew on every
// call; nothing is cached.
class FirmwareInfo {
public:
    virtual ~FirmwareInfo() = default;

    // nullopt when the value is missing or not a string.
    virtual std::optional<std::wstring> readString(std::string_view name) = 0;

    // nullopt when the value is missing or not a number.
    virtual std::optional<std::uint32_t> readNumber(std::string_view name) = 0;
};

TARVIK_PLATFORM_EXPORT FirmwareInfo& processFirmwareInfo();
TARVIK_PLATFORM_EXPORT void overrideProcessFirmwareInfo(FirmwareInfo* firmwareInfo);

} // namespace tarvik
