#include "ProcessPowerController.h"

#include "Platform.h"
#include "RtcWakeSetting.h"
#include "SeamSlot.h"
#include "linux/LinuxPowerController.h"
#include "sim/SimPowerController.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tarvik::kestrom {

namespace {

SeamSlot<PowerController> slot;

std::string defaultRtcWakeStatePath()
{
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return rtcWakeStatePath(std::getenv("XDG_STATE_HOME"), home);
}

} // namespace

PowerController& processPowerController()
{
    return slot.get([]() -> std::unique_ptr<PowerController> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimPowerController>(p.boardDir());
        return std::make_unique<LinuxPowerController>("/sys", defaultRtcWakeStatePath());
    });
}

void overrideProcessPowerController(PowerController* controller) { slot.setOverride(controller); }

} // namespace tarvik::kestrom
