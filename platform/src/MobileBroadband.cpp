#include "MobileBroadband.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/ModemManagerBroadband.h"
#include "sim/SimMobileBroadband.h"

namespace tarvik {

namespace {
SeamSlot<MobileBroadband> slot;
}

MobileBroadband& processMobileBroadband()
{
    return slot.get([]() -> std::unique_ptr<MobileBroadband> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimMobileBroadband>(p.boardDir());
        return std::make_unique<ModemManagerBroadband>();
    });
}

void overrideProcessMobileBroadband(MobileBroadband* service) { slot.setOverride(service); }

} // namespace tarvik
