#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik::board {

// The part of the board that changes while it runs, kept in the memory-mapped file "board.mem" that
// every process using the board maps (see MappedState). Plain data only: the layout is the file
// format. Change the layout only together with kVersion. Other parts of the board keep their own
// state files of the same kind rather than growing this one.

inline constexpr std::size_t kFaultSlots = 32;
inline constexpr std::size_t kFaultNameSize = 32;
inline constexpr std::size_t kFaultArgSize = 64;

struct FaultSlot {
    char name[kFaultNameSize]; // empty: slot unused
    char arg[kFaultArgSize];
    std::int32_t remaining; // for faults that wear off (count down); -1 = until cleared
};

// Where the simulated EC is in its host-interface handshake.
enum class EcPhase : std::uint8_t {
    Idle = 0,
    ReadAwaitAddress = 1,  // after command 0x01
    ReadDataReady = 2,     // address given, data byte waiting in the output buffer
    WriteAwaitAddress = 3, // after command 0x02
    WriteAwaitValue = 4,   // address given, waiting for the value
    CommandAwaitCode = 5,  // after command 0x03
};

struct BoardState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'B', 'O', 'A', 'R', 'D'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "board.mem";

    std::uint8_t ec[256];   // EC RAM
    std::uint8_t cmos[256]; // extended CMOS bank

    // EC host interface.
    EcPhase ecPhase;
    std::uint8_t ecStatus;     // status port as the EC presents it
    std::uint8_t ecData;       // output buffer
    std::uint8_t ecAddress;    // RAM address of the transaction in progress
    std::uint8_t cmosIndex;    // last index written to port 0x72
    std::uint8_t wlanBtPowerOff; // 1 while the combined WLAN/Bluetooth power is off (other than KQS)
    std::uint8_t wlanOnBeforePowerOff;
    std::uint8_t btOnBeforePowerOff;

    // Counters a person or a test can read back with `tarvik-board show`.
    std::uint32_t ecCommandsReceived;
    std::uint32_t ecLastCommand;
    std::uint32_t driverStarts;
    std::uint32_t driverRefusals;

    FaultSlot faults[kFaultSlots];
};

} // namespace tarvik::board
