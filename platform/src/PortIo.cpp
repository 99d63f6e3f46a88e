#include "PortIo.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/LinuxPortIo.h"
#include "sim/SimPortIo.h"

namespace tarvik {

namespace {
SeamSlot<PortIo> slot;
}

PortIo& processPortIo()
{
    return slot.get([]() -> std::unique_ptr<PortIo> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimPortIo>(p.boardDir());
        return std::make_unique<LinuxPortIo>();
    });
}

void overrideProcessPortIo(PortIo* portIo) { slot.setOverride(portIo); }

} // namespace tarvik
