#include "DeviceList.h"

#include "Platform.h"
#include "SeamSlot.h"
#include "linux/LinuxDeviceList.h"
#include "sim/SimDeviceList.h"

namespace tarvik {

namespace {
SeamSlot<DeviceList> slot;
}

ClassGuid classGuidOf(DeviceClass deviceClass)
{
    // {4D36E978-E325-11CE-BFC1-08002BE10318} and {4D36E96D-E325-11CE-BFC1-08002BE10318}, in the
    // byte order Windows stores a GUID in memory.
    if (deviceClass == DeviceClass::Ports)
        return {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
    return {0x6D, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
}

DeviceList& processDeviceList()
{
    return slot.get([]() -> std::unique_ptr<DeviceList> {
        const Platform& p = Platform::instance();
        if (p.isVirtual())
            return std::make_unique<SimDeviceList>(p.boardDir());
        return std::make_unique<LinuxDeviceList>("/sys", p.comDir());
    });
}

void overrideProcessDeviceList(DeviceList* deviceList) { slot.setOverride(deviceList); }

} // namespace tarvik
