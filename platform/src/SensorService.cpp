#include "SensorService.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/LinuxSensorService.h"
#include "sim/SimSensorService.h"

namespace tarvik {

namespace {
constexpr const char* kIioDevices = "/sys/bus/iio/devices";
SeamSlot<SensorService> slot;
} // namespace

SensorService& processSensorService()
{
    return slot.get([]() -> std::unique_ptr<SensorService> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimSensorService>(p.boardDir());
        return std::make_unique<LinuxSensorService>(kIioDevices);
    });
}

void overrideProcessSensorService(SensorService* service) { slot.setOverride(service); }

} // namespace tarvik
