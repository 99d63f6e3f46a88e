#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

// Ready states of a mobile-broadband interface (the values of MBN_READY_STATE).
inline constexpr int kMbnReadyOff = 0;            // device stack off
inline constexpr int kMbnReadyInitialized = 1;    // powered up, SIM ready
inline constexpr int kMbnReadySimNotInserted = 2;
inline constexpr int kMbnReadyBadSim = 3;         // PUK retries exhausted
inline constexpr int kMbnReadyFailure = 4;
inline constexpr int kMbnReadyNotActivated = 5;   // no subscription
inline constexpr int kMbnReadyDeviceLocked = 6;   // PIN wanted
inline constexpr int kMbnReadyDeviceBlocked = 7;  // PUK wanted

// Completion statuses (HRESULT values).
inline constexpr std::int32_t kMbnStatusOk = 0;
inline constexpr std::int32_t kMbnStatusFailed = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
inline constexpr std::int32_t kMbnStatusNotReady = static_cast<std::int32_t>(0x80070015u); // device gone

// The operating system's mobile-broadband service as the communication library needs it.
// Interfaces are named by id: the text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
// Queries answer nullopt when the service cannot tell (not reachable, interface gone); none of them
// blocks for long. Callable from any thread.
class MobileBroadband {
public:
    // Runs once, on a worker thread of the back end, when a radio request has finished.
    // changed: the software radio state is now different from before the request.
    using RadioCompletion = std::function<void(std::uint32_t requestId, std::int32_t status, bool changed)>;

    virtual ~MobileBroadband() = default;

    // Whether the service can be reached at all.
    virtual bool reachable() = 0;

    // The ids of the interfaces in the service's order (empty: no module).
    virtual std::optional<std::vector<std::wstring>> interfaceIds() = 0;

    // 0..7, see the kMbnReady* values.
    virtual std::optional<int> readyState(const std::wstring& id) = 0;

    // true = radio on.
    virtual std::optional<bool> softwareRadio(const std::wstring& id) = 0;
    virtual std::optional<bool> hardwareRadio(const std::wstring& id) = 0;

    // Asks for a software radio state and returns at once with the request id; done runs later on a
    // worker thread of the back end, exactly once. nullopt, and done never runs, when the request
    // could not be made.
    virtual std::optional<std::uint32_t> requestSoftwareRadio(const std::wstring& id, bool on,
                                                              RadioCompletion done) = 0;
};

// ModemManager (D-Bus) on real hardware, the board's mobile-broadband interfaces on the virtual board.
TARVIK_PLATFORM_EXPORT MobileBroadband& processMobileBroadband();
TARVIK_PLATFORM_EXPORT void overrideProcessMobileBroadband(MobileBroadband* service);

} // namespace tarvik
