#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik::board {

// The board's wireless interfaces as the operating system's WLAN and mobile-broadband services see
// them, kept in the memory-mapped file "wireless.mem" of the board directory (see MappedState).
// Plain data only: the layout is the file format; change it only together with kVersion.
//
// Slot 0 of each kind is the board's built-in module, whose presence and part of whose state belong
// to the EC (see WirelessBoard); the other slots are further adapters. How many slots the services
// list is a profile value (WLANInterfaces, MBNInterfaces).

inline constexpr std::size_t kWirelessSlots = 4;
inline constexpr std::size_t kWlanDescriptionSize = 64;
inline constexpr std::size_t kMbnIdSize = 40; // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and a zero

struct WlanSlot {
    std::uint8_t guid[16];                    // as Windows keeps a GUID in memory
    char description[kWlanDescriptionSize];   // UTF-8, zero-terminated
    std::int32_t state;                       // connection state (WLAN_INTERFACE_STATE)
    std::uint8_t softwareRadioOn;             // slots 1..: the software radio (slot 0: the EC's bit)
    std::uint8_t hardwareRadioOn;             // the hardware radio switch
};

struct MbnSlot {
    char id[kMbnIdSize];
    std::int32_t readyState;                  // slots 1..: MBN_READY_STATE (slot 0: per SIM slot)
    std::uint8_t softwareRadioOn;
    std::uint8_t hardwareRadioOn;             // slots 1..: (slot 0: the EC's enable bit)
};

struct WirelessState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'W', 'I', 'R', 'L', 'S'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "wireless.mem";

    WlanSlot wlan[kWirelessSlots];
    MbnSlot mbn[kWirelessSlots];
    std::int32_t simReadyState[2]; // what the built-in modem reports with SIM slot 1 or 2 selected
    std::uint32_t lastRequestId;   // radio requests are numbered from 1
    std::uint32_t requestsCompleted;
};

} // namespace tarvik::board
