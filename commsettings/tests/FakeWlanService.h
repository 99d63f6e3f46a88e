#pragma once

#include "WlanService.h"

#include <algorithm>

// A WLAN service held in memory, with errors to inject; switching changes the PHY's state as the
// system would.
class FakeWlanService final : public tarvik::WlanService {
public:
    struct Interface {
        tarvik::WlanInterface info;
        std::vector<tarvik::WlanPhyRadio> phys;
        std::uint32_t queryError = tarvik::kWlanSuccess;
    };

    std::vector<Interface> interfaces;
    std::uint32_t openError = tarvik::kWlanSuccess;
    std::uint32_t enumError = tarvik::kWlanSuccess;
    std::uint32_t setError = tarvik::kWlanSuccess;
    int setCalls = 0;

    static tarvik::InterfaceGuid guid(std::uint8_t last)
    {
        tarvik::InterfaceGuid g = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD};
        g[15] = last;
        return g;
    }

    void add(std::uint8_t last, const wchar_t* description, std::int32_t state, std::uint32_t software,
             std::uint32_t hardware)
    {
        interfaces.push_back({{guid(last), description, state}, {{0, software, hardware}}, tarvik::kWlanSuccess});
    }

    std::uint32_t open() override { return openError; }

    std::uint32_t enumInterfaces(std::vector<tarvik::WlanInterface>& list) override
    {
        if (enumError != tarvik::kWlanSuccess)
            return enumError;
        list.clear();
        for (const Interface& i : interfaces)
            list.push_back(i.info);
        return tarvik::kWlanSuccess;
    }

    std::uint32_t queryRadioState(const tarvik::InterfaceGuid& g, std::vector<tarvik::WlanPhyRadio>& phys) override
    {
        Interface* i = find(g);
        if (!i)
            return tarvik::kWlanNotFound;
        if (i->queryError != tarvik::kWlanSuccess)
            return i->queryError;
        phys = i->phys;
        return tarvik::kWlanSuccess;
    }

    std::uint32_t setSoftwareRadioState(const tarvik::InterfaceGuid& g, std::uint32_t phy, std::uint32_t state) override
    {
        ++setCalls;
        if (setError != tarvik::kWlanSuccess)
            return setError;
        Interface* i = find(g);
        if (!i || phy >= i->phys.size())
            return tarvik::kWlanNotFound;
        i->phys[phy].software = state;
        return tarvik::kWlanSuccess;
    }

private:
    Interface* find(const tarvik::InterfaceGuid& g)
    {
        const auto it = std::find_if(interfaces.begin(), interfaces.end(), [&](const Interface& i) { return i.info.guid == g; });
        return it == interfaces.end() ? nullptr : &*it;
    }
};
