#include "SimWlanService.h"

#include "Board.h"
#include "TextConvert.h"
#include "WirelessBoard.h"

#include <algorithm>
#include <cstdio>

namespace tarvik {

SimWlanService::SimWlanService(std::string boardDir) : access_(std::move(boardDir), "WLAN") {}

SimWlanService::~SimWlanService() = default;

std::uint32_t SimWlanService::open()
{
    std::lock_guard lock(mutex_);
    return wireless() ? kWlanSuccess : kWlanServiceNotActive;
}

std::uint32_t SimWlanService::enumInterfaces(std::vector<WlanInterface>& interfaces)
{
    std::lock_guard lock(mutex_);
    board::WirelessBoard* w = wireless();
    if (!w)
        return kWlanServiceNotActive;
    interfaces.clear();
    for (const board::WirelessBoard::Wlan& i : w->wlanInterfaces()) {
        WlanInterface entry;
        std::copy(std::begin(i.guid), std::end(i.guid), entry.guid.begin());
        entry.description = utf8ToWide(i.description);
        entry.state = i.state;
        interfaces.push_back(std::move(entry));
    }
    return kWlanSuccess;
}

std::uint32_t SimWlanService::queryRadioState(const InterfaceGuid& interface, std::vector<WlanPhyRadio>& phys)
{
    std::lock_guard lock(mutex_);
    board::WirelessBoard* w = wireless();
    if (!w)
        return kWlanServiceNotActive;
    for (const board::WirelessBoard::Wlan& i : w->wlanInterfaces()) {
        if (!std::equal(interface.begin(), interface.end(), std::begin(i.guid)))
            continue;
        phys = {{0, i.softwareRadioOn ? kWlanRadioOn : kWlanRadioOff, i.hardwareRadioOn ? kWlanRadioOn : kWlanRadioOff}};
        return kWlanSuccess;
    }
    return kWlanNotFound;
}

std::uint32_t SimWlanService::setSoftwareRadioState(const InterfaceGuid& interface, std::uint32_t phyIndex,
                                                    std::uint32_t state)
{
    if (phyIndex != 0 || (state != kWlanRadioOn && state != kWlanRadioOff))
        return kWlanInvalidParameter;
    std::lock_guard lock(mutex_);
    board::WirelessBoard* w = wireless();
    if (!w)
        return kWlanServiceNotActive;
    for (const board::WirelessBoard::Wlan& i : w->wlanInterfaces()) {
        if (!std::equal(interface.begin(), interface.end(), std::begin(i.guid)))
            continue;
        // The interface may have gone between the listing and the switch (module powered off).
        return w->setWlanSoftwareRadio(i.slot, state == kWlanRadioOn) ? kWlanSuccess : kWlanNotFound;
    }
    return kWlanNotFound;
}

} // namespace tarvik
