#include "SimDeviceList.h"

#include "Board.h"
#include "TextConvert.h"

namespace tarvik {

SimDeviceList::SimDeviceList(std::string boardDir) : boardDir_(std::move(boardDir)) {}

std::optional<std::vector<DeviceEntry>> SimDeviceList::presentDevices(DeviceClass deviceClass, bool)
{
    auto profile = board::BoardProfile::load(boardDir_ + "/" + board::kProfileFile);
    if (!profile)
        return std::nullopt;
    const char* wanted = deviceClass == DeviceClass::Ports ? "ports" : "modem";
    std::vector<DeviceEntry> devices;
    for (const board::BoardDevice& d : board::boardDevices(*profile)) {
        if (d.deviceClass != wanted)
            continue;
        DeviceEntry e;
        e.classGuid = classGuidOf(deviceClass);
        e.description = utf8ToWide(d.description);
        e.friendlyName = utf8ToWide(d.friendlyName);
        if (!d.portName.empty())
            e.portName = utf8ToWide(d.portName);
        devices.push_back(std::move(e));
    }
    return devices;
}

} // namespace tarvik
