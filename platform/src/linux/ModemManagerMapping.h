#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik {

// What ModemManager publishes about a modem (org.freedesktop.ModemManager1.Modem), turned into what
// the mobile-broadband service of the libraries reports. No D-Bus here: the back end reads the
// properties, these functions decide.
struct ModemManagerModem {
    // MMModemState
    static constexpr std::int32_t kStateFailed = -1;
    static constexpr std::int32_t kStateUnknown = 0;
    static constexpr std::int32_t kStateInitializing = 1;
    static constexpr std::int32_t kStateLocked = 2;
    static constexpr std::int32_t kStateDisabled = 3;
    static constexpr std::int32_t kStateDisabling = 4;
    static constexpr std::int32_t kStateEnabling = 5;
    static constexpr std::int32_t kStateEnabled = 6;
    static constexpr std::int32_t kStateConnected = 11;
    // MMModemStateFailedReason
    static constexpr std::uint32_t kFailedSimMissing = 2;
    static constexpr std::uint32_t kFailedSimError = 3;
    static constexpr std::uint32_t kFailedEsimWithoutProfiles = 5;
    // MMModemLock
    static constexpr std::uint32_t kLockSimPuk = 4;
    static constexpr std::uint32_t kLockSimPuk2 = 5;

    std::int32_t state = kStateUnknown;     // "State"
    std::uint32_t failedReason = 0;          // "StateFailedReason"
    std::uint32_t unlockRequired = 0;        // "UnlockRequired"
    bool hasSim = false;                     // "Sim" is an object other than "/"
    std::string deviceIdentifier;            // "DeviceIdentifier": 40 hex digits, stable per device
};

// The ready state (MBN_READY_STATE, 0..7) of a modem.
int readyStateOf(const ModemManagerModem& modem);

// The software radio is on from the moment the modem is being enabled until it is being disabled.
bool softwareRadioOf(const ModemManagerModem& modem);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" made of the first 32 hex digits of the device
// identifier; nullopt when it has fewer.
std::optional<std::wstring> interfaceIdOf(std::string_view deviceIdentifier);

} // namespace tarvik
