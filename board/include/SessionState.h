#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik::board {

// What the operating system's login manager does for the control panel on this machine: power-off
// requests, suspend and resume, the wake timer and the inhibitors, kept in the memory-mapped file
// "session.mem" of the board directory (see MappedState) so that `tarvik-board show` tells what the
// program asked for. Plain data only: the layout is the file format. Change it only together with
// kVersion.

inline constexpr std::size_t kInhibitorSlots = 8;
inline constexpr std::size_t kInhibitorTextSize = 24;

// One inhibitor lock held by a process: what it inhibits ("sleep", "idle", "shutdown", colon
// separated), its mode ("block" or "delay") and who holds it. An empty slot has pid 0. The lock
// ends when its holder releases it or exits.
struct SessionInhibitor {
    std::int32_t pid;
    char what[kInhibitorTextSize];
    char mode[kInhibitorTextSize];
    char who[kInhibitorTextSize];
};

struct SessionState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'S', 'E', 'S', 'S', 'N'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "session.mem";
    // Written last when the file is made, so a file cut short is recognised as damaged.
    static constexpr std::uint32_t kReady = 0x4e535353; // "SSSN"

    std::uint32_t ready;
    std::uint32_t powerOffRequests;
    std::int64_t lastPowerOff; // seconds since 1970 (UTC), 0 = never
    std::uint32_t sleeping;    // 1 between suspend and resume
    std::uint32_t suspends;
    std::uint32_t resumes;
    std::uint32_t wakeTimerArms;
    std::int64_t wakeTimerDue; // 100-ns units since 1970 (UTC), 0 = not armed
    SessionInhibitor inhibitors[kInhibitorSlots];
};

} // namespace tarvik::board
