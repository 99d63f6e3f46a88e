#pragma once

#include "TarvikPlatformExport.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik {

// An interface GUID in the byte order Windows keeps a GUID in memory (Data1..Data3 little-endian).
using InterfaceGuid = std::array<std::uint8_t, 16>;

// System error codes the WLAN service reports (the values of the Windows WLAN API).
inline constexpr std::uint32_t kWlanSuccess = 0;
inline constexpr std::uint32_t kWlanAccessDenied = 5;      // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kWlanInvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t kWlanServiceNotActive = 1062; // ERROR_SERVICE_NOT_ACTIVE
inline constexpr std::uint32_t kWlanNotFound = 1168;       // ERROR_NOT_FOUND
inline constexpr std::uint32_t kWlanGenFailure = 31;       // ERROR_GEN_FAILURE

// Radio states of a PHY (DOT11_RADIO_STATE).
inline constexpr std::uint32_t kWlanRadioUnknown = 0;
inline constexpr std::uint32_t kWlanRadioOn = 1;
inline constexpr std::uint32_t kWlanRadioOff = 2;

// Interface states (WLAN_INTERFACE_STATE) the back ends report.
inline constexpr std::int32_t kWlanStateNotReady = 0;
inline constexpr std::int32_t kWlanStateConnected = 1;
inline constexpr std::int32_t kWlanStateDisconnected = 4;
inline constexpr std::int32_t kWlanStateAuthenticating = 7;

struct WlanInterface {
    InterfaceGuid guid{};
    std::wstring description;
    std::int32_t state = kWlanStateNotReady;
};

struct WlanPhyRadio {
    std::uint32_t phyIndex = 0;
    std::uint32_t software = kWlanRadioUnknown;
    std::uint32_t hardware = kWlanRadioUnknown;
};

// The operating system's wireless-LAN service as the communication library needs it: the list of
// WLAN interfaces and the radio state of their PHYs. Every operation answers a system error code
// (kWlanSuccess or one of the codes above) and never blocks for long. Stateless: each call looks at
// the system afresh.
class WlanService {
public:
    virtual ~WlanService() = default;

    // Whether a client of this process may use the service at all (the client handle of the system).
    virtual std::uint32_t open() = 0;

    // The WLAN interfaces in the system's order.
    virtual std::uint32_t enumInterfaces(std::vector<WlanInterface>& interfaces) = 0;

    // The radio state of each PHY of one interface; kWlanNotFound for an interface that is gone.
    virtual std::uint32_t queryRadioState(const InterfaceGuid& interface, std::vector<WlanPhyRadio>& phys) = 0;

    // Sets the software radio state (kWlanRadioOn or kWlanRadioOff) of one PHY.
    virtual std::uint32_t setSoftwareRadioState(const InterfaceGuid& interface, std::uint32_t phyIndex,
                                                std::uint32_t state) = 0;
};

// rfkill on real hardware, the board's WLAN interfaces on the virtual board.
TARVIK_PLATFORM_EXPORT WlanService& processWlanService();
TARVIK_PLATFORM_EXPORT void overrideProcessWlanService(WlanService* service);

} // namespace tarvik
