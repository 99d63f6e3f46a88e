#pragma once

#include "BoardResult.h"
#include "BoardState.h"
#include "MappedState.h"
#include "PowerState.h"
#include "TarvikBoardExport.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::board {

// The board's power controller: the state behind the power library (power.mem, shared by every
// process using the board and kept across restarts) and what the board derives from its profile.
class TARVIK_BOARD_EXPORT PowerBoard {
public:
    // Opens the power controller of the board in dir. On first use the state file is made with the
    // factory values; a damaged one is replaced by one with the factory values and repairNote()
    // says what was wrong. Fails only when the file can be neither opened nor made.
    static Result<std::unique_ptr<PowerBoard>> open(const std::string& dir);

    // Puts an existing state file back to the factory values in place, so that processes using it
    // see the reset; removes a damaged one. Does nothing when there is none. For `create`, which
    // holds the board's directory lock already.
    static void resetIfPresent(const std::string& dir);

    static void setFactoryValues(PowerState& state);

    MappedState<PowerState>& memory() { return *memory_; }
    // One line saying the file was damaged and replaced; empty when it was fine.
    const std::string& repairNote() const { return repairNote_; }

    void reset();

    // [board] PowerBoard of the profile: true "high", false "low"; nullopt when missing or unknown.
    std::optional<bool> highVoltagePowerBoard() const;

    // Milliseconds the SMS code store takes to initialise: [power] SmsStoreInitMs, else 2000.
    unsigned smsStoreInitMs() const;

    // The vehicle's battery voltage as the power controller measures it on its supply input: the
    // simulated vehicle's (VehicleModel); nothing when the vehicle cannot be read.
    std::optional<std::int32_t> vehicleBatteryMillivolts() const;

    // The emergency key: latches the emergency event (until the library resets it) and counts it.
    void pressEmergencyKey();

    // An expiry forced through the library at `when` (seconds since 1970): recorded while the
    // watchdog runs; false, and nothing recorded, when it does not.
    bool forceWatchdogExpiry(std::int64_t when);

private:
    PowerBoard(std::string dir, std::unique_ptr<MappedState<PowerState>> memory, std::string repairNote);

    std::string dir_;
    std::unique_ptr<MappedState<PowerState>> memory_;
    std::string repairNote_;
};

// The integer values by the names `tarvik-board power set` and `show` use.
struct PowerValueName {
    PowerValue value;
    const char* name;
    const char* help;
};
TARVIK_BOARD_EXPORT const std::vector<PowerValueName>& powerValueNames();

// "Startup24V", "Shutdown12V", ...
TARVIK_BOARD_EXPORT std::string thresholdName(Nominal nominal, Threshold threshold);

// The methods of the power library that the fault "kestrom-fail" can make fail.
TARVIK_BOARD_EXPORT const std::vector<std::string>& kestromMethodNames();

inline constexpr const char* kKestromFailFault = "kestrom-fail";

// Checks the argument of kestrom-fail: "all" or method names separated by commas. Empty when it is
// acceptable, else what is wrong.
TARVIK_BOARD_EXPORT std::string checkKestromFailArgument(const std::string& arg);

// The checked argument of kestrom-fail as its fault slot keeps it, whatever the number of methods,
// and that form as a person reads it back (the names in the table's order, or "all").
TARVIK_BOARD_EXPORT std::string storedKestromFailArgument(const std::string& arg);
TARVIK_BOARD_EXPORT std::string shownKestromFailArgument(const std::string& stored);

// True when the kestrom-fail fault in state names this method (or "all").
TARVIK_BOARD_EXPORT bool kestromMethodFails(const BoardState& state, const char* method);

} // namespace tarvik::board
