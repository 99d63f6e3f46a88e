#pragma once

#include "BoardState.h"
#include "EcMap.h"
#include "TarvikBoardExport.h"

#include <cstdint>

namespace tarvik::board {

// The simulated embedded controller seen through its host ports: 0x6C command/status, 0x68 data,
// 0x72/0x73 extended CMOS index/data. It follows the ACPI EC handshake the access layer expects
// (status 0x08 after a command byte, 0x01 when read data is ready, 0x00 after a write address) and
// acts on EC commands and RAM writes as the board does. No OS calls: the caller holds the board
// lock around each access (and around a whole transaction, see ecTransactionOpen).
namespace ec {
using namespace tarvik::ecmap;

// Bits of the CMOS module bytes as the board keeps them.
inline constexpr std::uint8_t kCmosModuleOn = 0x80;     // bit 7: module on
inline constexpr std::uint8_t kCmosModuleFitted = 0x01; // our marker for "fitted": byte non-zero
inline constexpr std::uint8_t kCmosAntennaExternal = 0x08;

// Bits of the WWAN byte (EC RAM 0x9D) and of the presence byte (0xA3).
inline constexpr std::uint8_t kWwanPower = 0x02;
inline constexpr std::uint8_t kWwanEnable = 0x04;
inline constexpr std::uint8_t kWwanSimSlot2 = 0x08;
inline constexpr std::uint8_t kPresenceWwan = 0x01;
inline constexpr std::uint8_t kPresenceWlanKqs = 0x02;
} // namespace ec

TARVIK_BOARD_EXPORT void ecHostWrite(BoardState& state, std::uint16_t port, std::uint8_t value);
TARVIK_BOARD_EXPORT std::uint8_t ecHostRead(BoardState& state, std::uint16_t port);

// True while an EC handshake is between its command byte and its last byte.
TARVIK_BOARD_EXPORT bool ecTransactionOpen(const BoardState& state);

// What the EC does on a command code (also used by the command-line tool to press buttons).
TARVIK_BOARD_EXPORT void ecRunCommand(BoardState& state, std::uint8_t code);

} // namespace tarvik::board
