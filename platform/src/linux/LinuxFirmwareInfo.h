#pragma once

#include "FirmwareInfo.h"

#include <string>

namespace tarvik {

// Firmware information from sysfs: the DMI strings in class/dmi/id and the EC firmware release from
// the SMBIOS BIOS-information structure (type 0), which the kernel exposes as
// firmware/dmi/entries/0-0/raw (readable by root only on most systems; absent values are nullopt).
class LinuxFirmwareInfo final : public FirmwareInfo {
public:
    explicit LinuxFirmwareInfo(std::string sysRoot = "/sys");

    std::optional<std::wstring> readString(std::string_view name) override;
    std::optional<std::uint32_t> readNumber(std::string_view name) override;

private:
    std::string sysRoot_;
};

} // namespace tarvik
