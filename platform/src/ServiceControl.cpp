#include "ServiceControl.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/UnixServiceControl.h"

namespace tarvik {

namespace {
// Where a system service of the machine would put its control socket.
constexpr const char* kMachineServices = "/run/tarvik/services";
constexpr const char* kBoardServices = "/services";
SeamSlot<ServiceControl> slot;
} // namespace

ServiceControl& processServiceControl()
{
    return slot.get([]() -> std::unique_ptr<ServiceControl> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return serviceControlForBoard(p.boardDir());
        return std::make_unique<UnixServiceControl>(kMachineServices);
    });
}

void overrideProcessServiceControl(ServiceControl* control) { slot.setOverride(control); }

std::unique_ptr<ServiceControl> serviceControlForBoard(const std::string& dir)
{
    return std::make_unique<UnixServiceControl>(dir + kBoardServices);
}

} // namespace tarvik
