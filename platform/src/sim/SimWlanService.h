#pragma once

#include "SimWirelessAccess.h"

#include "WlanService.h"

#include <memory>
#include <mutex>
#include <string>

namespace tarvik {

namespace board {
class Board;
class WirelessBoard;
} // namespace board

// The WLAN service of the virtual board: the board's WLAN interfaces (see board::WirelessBoard),
// each with one PHY.
class SimWlanService final : public WlanService {
public:
    explicit SimWlanService(std::string boardDir);
    ~SimWlanService() override;

    std::uint32_t open() override;
    std::uint32_t enumInterfaces(std::vector<WlanInterface>& interfaces) override;
    std::uint32_t queryRadioState(const InterfaceGuid& interface, std::vector<WlanPhyRadio>& phys) override;
    std::uint32_t setSoftwareRadioState(const InterfaceGuid& interface, std::uint32_t phyIndex,
                                        std::uint32_t state) override;

private:
    board::WirelessBoard* wireless() { return access_.get(); }

    std::mutex mutex_;
    SimWirelessAccess access_;
};

} // namespace tarvik
