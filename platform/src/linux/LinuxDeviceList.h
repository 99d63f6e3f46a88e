#pragma once

#include "DeviceList.h"

#include <string>

namespace tarvik {

// Serial devices from sysfs (class/tty). A device counts only when it has a COM number, since the
// program reaches ports by number: ttyS(n-1) is COMn, and any tty a link $TARVIK_COM_DIR/COMn points
// at is COMn. USB serial functions of known WWAN modem drivers (qcserial, sierra, option) form the
// modem class; everything else is a port. The friendly name follows the Windows form
// "<description> (COMn)" that the module port search parses.
class LinuxDeviceList final : public DeviceList {
public:
    LinuxDeviceList(std::string sysRoot, std::string comDir);
    std::optional<std::vector<DeviceEntry>> presentDevices(DeviceClass deviceClass, bool withInterfaces) override;

private:
    std::string sysRoot_;
    std::string comDir_;
};

} // namespace tarvik
