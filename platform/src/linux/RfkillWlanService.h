#pragma once

#include "WlanService.h"

#include "RfkillEvent.h"

#include <atomic>
#include <string>

namespace tarvik {

// The WLAN service on Linux through the kernel's radio switches (/dev/rfkill): each switch of type
// WLAN is one interface with one PHY; a software block is the software radio off, a hardware block
// the hardware radio off. Names and connection states come from sysfs. Needs read access to the
// device for the list and write access to switch (desktop sessions usually get both).
class RfkillWlanService final : public WlanService {
public:
    explicit RfkillWlanService(std::string devicePath = "/dev/rfkill", std::string sysfsRoot = "/sys");

    std::uint32_t open() override;
    std::uint32_t enumInterfaces(std::vector<WlanInterface>& interfaces) override;
    std::uint32_t queryRadioState(const InterfaceGuid& interface, std::vector<WlanPhyRadio>& phys) override;
    std::uint32_t setSoftwareRadioState(const InterfaceGuid& interface, std::uint32_t phyIndex,
                                        std::uint32_t state) override;

    // The interface GUID given to switch idx.
    static InterfaceGuid guidForSwitch(std::uint32_t idx);

private:
    std::uint32_t readWlanSwitches(std::vector<RfkillSwitch>& switches);
    std::uint32_t failure(const char* what, int error);
    std::wstring description(std::uint32_t idx) const;
    std::int32_t connectionState(const RfkillSwitch& s) const;

    std::string devicePath_;
    std::string sysfsRoot_;
    std::atomic<bool> reported_{false};
};

} // namespace tarvik
