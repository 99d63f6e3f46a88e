#pragma once

#include "BoardResult.h"
#include "MappedState.h"
#include "SessionState.h"
#include "TarvikBoardExport.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::board {

// Faults of the wake timer (see faultCatalog).
inline constexpr const char* kFaultWakeTimerCreate = "wake-timer-create";
inline constexpr const char* kFaultWakeTimerArm = "wake-timer-arm";

// The board's login manager: what logind does on a real machine for power-off, suspend, the wake
// timer and inhibitor locks, recorded in session.mem instead of acting on the computer the
// simulation runs on. Programs subscribe to the sleep signal by binding the datagram socket
// sleepSignalSocket(); `tarvik-board suspend` and `resume` send it "PrepareForSleep true" and
// "PrepareForSleep false", one datagram each.
class TARVIK_BOARD_EXPORT SessionBoard {
public:
    // Opens the session state of the board in dir, making it on first use; a file that exists but
    // cannot be used is an error naming it.
    static Result<std::unique_ptr<SessionBoard>> open(const std::string& dir);

    // DIR/PrepareForSleep.sock
    static std::string sleepSignalSocket(const std::string& dir);
    // The datagrams of the sleep signal.
    static constexpr const char* kSleepStart = "PrepareForSleep true";
    static constexpr const char* kSleepEnd = "PrepareForSleep false";

    MappedState<SessionState>& memory() { return *memory_; }

    void recordPowerOff(std::int64_t when);
    void armWakeTimer(std::int64_t dueUtcUnits);

    // Takes an inhibitor slot for the process; -1 when all are taken.
    int addInhibitor(std::int32_t pid, const std::string& what, const std::string& mode, const std::string& who);
    // Frees the slot if the process still holds it.
    void removeInhibitor(int slot, std::int32_t pid);
    // The locks whose holders still run (slots of processes that have ended are freed).
    std::vector<SessionInhibitor> liveInhibitors();

    // Suspend: refused (with the holder's name) while a "block" lock on sleep is held; otherwise the
    // machine is marked sleeping and the signal sent. The login manager then waits until no "delay"
    // lock on sleep is held, at most `maxDelay` (logind's InhibitDelayMaxSec, 5 s by default).
    // Returns what happened, one line per event, for the tool to print.
    Result<std::vector<std::string>> suspend(std::chrono::milliseconds maxDelay);
    // Resume: the machine is awake again and the signal sent.
    Result<std::vector<std::string>> resume();

private:
    SessionBoard(std::string dir, std::unique_ptr<MappedState<SessionState>> memory);
    // Empty when the signal was delivered, else why not.
    std::string sendSleepSignal(bool start);

    std::string dir_;
    std::unique_ptr<MappedState<SessionState>> memory_;
};

} // namespace tarvik::board
