#include "FirmwareInfo.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/LinuxFirmwareInfo.h"
#include "sim/SimFirmwareInfo.h"

namespace tarvik {

namespace {
SeamSlot<FirmwareInfo> slot;
}

FirmwareInfo& processFirmwareInfo()
{
    return slot.get([]() -> std::unique_ptr<FirmwareInfo> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimFirmwareInfo>(p.boardDir());
        return std::make_unique<LinuxFirmwareInfo>();
    });
}

void overrideProcessFirmwareInfo(FirmwareInfo* firmwareInfo) { slot.setOverride(firmwareInfo); }

} // namespace tarvik
