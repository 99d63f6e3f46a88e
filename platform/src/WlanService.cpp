#include "WlanService.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/RfkillWlanService.h"
#include "sim/SimWlanService.h"

namespace tarvik {

namespace {
SeamSlot<WlanService> slot;
}

WlanService& processWlanService()
{
    return slot.get([]() -> std::unique_ptr<WlanService> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimWlanService>(p.boardDir());
        return std::make_unique<RfkillWlanService>();
    });
}

void overrideProcessWlanService(WlanService* service) { slot.setOverride(service); }

} // namespace tarvik
