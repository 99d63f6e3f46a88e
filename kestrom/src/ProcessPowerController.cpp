#include "ProcessPowerController.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/LinuxPowerController.h"
#include "sim/SimPowerController.h"

namespace tarvik::kestrom {

namespace {
SeamSlot<PowerController> slot;
}

PowerController& processPowerController()
{
    return slot.get([]() -> std::unique_ptr<PowerController> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimPowerController>(p.boardDir());
        return std::make_unique<LinuxPowerController>();
    });
}

void overrideProcessPowerController(PowerController* controller) { slot.setOverride(controller); }

} // namespace tarvik::kestrom
