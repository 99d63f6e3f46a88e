#include "ModemManagerMapping.h"

#include <cctype>

namespace tarvik {

namespace {
constexpr int kReadyOff = 0;
constexpr int kReadyInitialized = 1;
constexpr int kReadySimNotInserted = 2;
constexpr int kReadyBadSim = 3;
constexpr int kReadyFailure = 4;
constexpr int kReadyNotActivated = 5;
constexpr int kReadyDeviceLocked = 6;
constexpr int kReadyDeviceBlocked = 7;
constexpr std::size_t kGuidHexDigits = 32;
} // namespace

// ModemManager tells how far a modem got on its way to the network with State; where it stopped,
// StateFailedReason or UnlockRequired say why. The ready state tells what the SIM and subscription
// allow, so:
//   FAILED, reason SIM missing                 -> 2 SIM not inserted
//   FAILED, reason SIM error                   -> 3 bad SIM (unusable, e.g. PUK retries used up)
//   FAILED, reason eSIM without profiles       -> 5 not activated (no subscription on the card)
//   FAILED, any other reason                   -> 4 failure
//   UNKNOWN, INITIALIZING                      -> 0 stack off (nothing known yet)
//   LOCKED, SIM-PUK or SIM-PUK2 wanted         -> 7 blocked (the PIN was entered wrongly too often)
//   LOCKED, anything else (SIM-PIN, PH-SIM ...) -> 6 locked
//   DISABLED or later, no SIM object           -> 2 SIM not inserted (newer releases no longer fail
//                                                  such modems, they keep them for emergency calls)
//   DISABLED or later with a SIM               -> 1 initialised: the SIM is unlocked and read.
// Whether the radio is on (DISABLED against ENABLED) is the radio state's business, not this.
int readyStateOf(const ModemManagerModem& m)
{
    using M = ModemManagerModem;
    switch (m.state) {
    case M::kStateFailed:
        switch (m.failedReason) {
        case M::kFailedSimMissing: return kReadySimNotInserted;
        case M::kFailedSimError: return kReadyBadSim;
        case M::kFailedEsimWithoutProfiles: return kReadyNotActivated;
        default: return kReadyFailure;
        }
    case M::kStateUnknown:
    case M::kStateInitializing:
        return kReadyOff;
    case M::kStateLocked:
        return m.unlockRequired == M::kLockSimPuk || m.unlockRequired == M::kLockSimPuk2 ? kReadyDeviceBlocked
                                                                                         : kReadyDeviceLocked;
    default:
        if (m.state < M::kStateDisabled)
            return kReadyFailure; // a state this mapping does not know
        return m.hasSim ? kReadyInitialized : kReadySimNotInserted;
    }
}

bool softwareRadioOf(const ModemManagerModem& m) { return m.state >= ModemManagerModem::kStateEnabling; }

std::optional<std::wstring> interfaceIdOf(std::string_view deviceIdentifier)
{
    std::wstring hex;
    for (char c : deviceIdentifier) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        if (hex.size() < kGuidHexDigits)
            hex += static_cast<wchar_t>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (hex.size() < kGuidHexDigits)
        return std::nullopt;
    return L"{" + hex.substr(0, 8) + L"-" + hex.substr(8, 4) + L"-" + hex.substr(12, 4) + L"-" + hex.substr(16, 4) +
           L"-" + hex.substr(20, 12) + L"}";
}

} // namespace tarvik
