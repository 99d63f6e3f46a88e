#pragma once

#include "FirmwareInfo.h"

#include <string>

namespace tarvik {

// Firmware information from the [firmware] section of the board profile, read anew on each call
// so that `tarvik-board set` takes effect at once.
class SimFirmwareInfo final : public FirmwareInfo {
public:
    explicit SimFirmwareInfo(std::string boardDir);

    std::optional<std::wstring> readString(std::string_view name) override;
    std::optional<std::uint32_t> readNumber(std::string_view name) override;

private:
    std::optional<std::string> value(std::string_view name);
    std::string boardDir_;
};

} // namespace tarvik
