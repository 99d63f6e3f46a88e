#pragma once

#include "BoardProfile.h"
#include "BoardResult.h"
#include "BoardState.h"
#include "MappedState.h"
#include "TarvikBoardExport.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::board {

// File names inside a board directory.
inline constexpr const char* kProfileFile = "profile.ini";

// The models a board can be created as (presets). "OTHER" carries a BIOS string that matches none.
TARVIK_BOARD_EXPORT const std::vector<std::string>& presetModels();

// A board directory opened for use: its profile and its shared memory.
class TARVIK_BOARD_EXPORT Board {
public:
    // Creates (or resets) a board of a preset model in dir, creating dir when missing.
    // powerBoard is "high" or "low" (only KTM machines have the choice; others ignore it).
    static Result<std::unique_ptr<Board>> create(const std::string& dir, const std::string& model,
                                                 const std::string& powerBoard = "high");
    // Opens an existing board. A memory file that is missing (the runtime folder was cleared) is
    // rebuilt from the profile; a damaged one is an error naming it.
    static Result<std::unique_ptr<Board>> open(const std::string& dir);
    // True when dir holds a board profile.
    static bool exists(const std::string& dir);

    const std::string& dir() const { return dir_; }
    MappedState<BoardState>& memory() { return *memory_; }

    // The profile as it is on disk now (it is read anew each time; a person may have edited it).
    Result<BoardProfile> profile() const;

    // Changes a named profile value (see profileValueNames) and what the running board derives
    // from it, under the board lock.
    Status setValue(const std::string& name, const std::string& value);
    // What is wrong with setting that value (empty: nothing); setValue may still fail on the files.
    static std::string checkValue(const std::string& name, const std::string& value);
    // Removes a named profile value, as on a machine whose firmware lacks it.
    Status unsetValue(const std::string& name);

    Status addDevice(const std::string& deviceClass, const std::string& name,
                     const std::string& port);
    // What is wrong with such a device (empty: nothing); "port" is COMn for a modem.
    static std::string checkDevice(const std::string& deviceClass, const std::string& name,
                                   const std::string& port);
    Status clearDevices();

    // Faults (see faultCatalog): set, clear one, clear all.
    Status setFault(const std::string& name, const std::string& arg);
    Status clearFault(const std::string& name);
    void clearAllFaults();

    // Rewrites the EC RAM and CMOS bytes that the profile fixes (versions, temperature, presence).
    Status applyProfileToMemory();

private:
    Board(std::string dir, std::unique_ptr<MappedState<BoardState>> memory);
    Status editProfile(const std::function<Status(BoardProfile&)>& edit);

    std::string dir_;
    std::unique_ptr<MappedState<BoardState>> memory_;
};

// Profile values a person may set with `tarvik-board set NAME VALUE`.
struct ProfileValue {
    const char* section;
    const char* name;
    const char* help;
    // Empty when the value is acceptable, else what is wrong with it.
    std::string (*check)(const std::string& value);
};
TARVIK_BOARD_EXPORT const std::vector<ProfileValue>& profileValueNames();

// Faults a person may inject with `tarvik-board fault NAME [ARG]`.
struct FaultInfo {
    const char* name;
    const char* argHelp; // "" when the fault takes no argument
    const char* help;
    // Empty when the argument is acceptable, else what is wrong with it.
    std::string (*check)(const std::string& arg);
    // The argument is a count of occurrences after which the fault wears off ("always": never).
    bool countsDown = false;
    // For an argument that may not fit a fault slot as typed: the checked argument as the slot
    // keeps it (shorter than kFaultArgSize), and that form as a person reads it back. Null: kept
    // as given.
    std::string (*storedArg)(const std::string& arg) = nullptr;
    std::string (*shownArg)(const std::string& stored) = nullptr;
};
TARVIK_BOARD_EXPORT const std::vector<FaultInfo>& faultCatalog();

// A set fault's argument as a person gave it (see FaultInfo::shownArg).
TARVIK_BOARD_EXPORT std::string faultArgumentText(const FaultSlot& slot);

// Reading faults from the shared state (call with the state locked or where a torn read is harmless).
TARVIK_BOARD_EXPORT const FaultSlot* findFault(const BoardState& state, const char* name);

} // namespace tarvik::board

namespace tarvik::board {

// A device of the board's device list, as the profile's [devices] section gives it.
struct BoardDevice {
    std::string deviceClass;  // "ports" or "modem"
    std::string description;  // ports: the friendly name without " (COMn)"
    std::string friendlyName;
    std::string portName;     // "COM7"; empty when the line names no port
};
TARVIK_BOARD_EXPORT std::vector<BoardDevice> boardDevices(const BoardProfile& profile);
// The n of the first "ports" device described as `description` ("… (COMn)", n of 1 to 4 digits):
// where the board's peer for that device links its pseudo-terminal, and where the program, which
// looks the device up by the same description, opens it. Nothing when the list has no such port.
TARVIK_BOARD_EXPORT std::optional<int> boardDevicePort(const BoardProfile& profile, const std::string& description);

// "mkdir -p" with owner-only permissions for the folders it makes.
TARVIK_BOARD_EXPORT Status makeDirectories(const std::string& dir);

} // namespace tarvik::board
