#pragma once

#include <cstdint>

// The map of the board's embedded controller and extended CMOS as the libraries use it: ports,
// handshake values, RAM addresses, CMOS indices and EC command codes. The virtual board's EC is
// built from the same map.

namespace tarvik::ecmap {

// Ports (single bytes).
inline constexpr std::uint16_t EC_DATA_PORT = 0x68;    // write: address, value or command code; read: data
inline constexpr std::uint16_t EC_COMMAND_PORT = 0x6C; // write: host command; read: status
inline constexpr std::uint16_t CMOS_INDEX_PORT = 0x72;
inline constexpr std::uint16_t CMOS_DATA_PORT = 0x73;

// Host commands written to the command port.
inline constexpr std::uint8_t EC_HOST_READ = 0x01;
inline constexpr std::uint8_t EC_HOST_WRITE = 0x02;
inline constexpr std::uint8_t EC_HOST_COMMAND = 0x03;

// Status values awaited (ACPI EC status layout: 0x01 output buffer full, 0x08 last byte was a
// command). They are compared as whole values: any other bit set is no match.
inline constexpr std::uint32_t EC_STATUS_COMMAND_TAKEN = 0x08;
inline constexpr std::uint32_t EC_STATUS_DATA_READY = 0x01;
inline constexpr std::uint32_t EC_STATUS_CLEAR = 0x00;

// EC RAM.
inline constexpr std::uint8_t EC_TEMPERATURE = 0x70;       // degrees Celsius + 40
inline constexpr std::uint8_t EC_WWAN_BASE_ADDRESS = 0x9D; // bit 1 power, bit 2 enable, bit 3 SIM slot 2
inline constexpr std::uint8_t EC_MODULE_HW_STATUS = 0xA3;  // bit 0 WWAN fitted, bit 1 WLAN fitted (KQS)
inline constexpr std::uint8_t EC_WLANBT_CONTROL = 0xBE;    // KQS: bit 0 power, bit 1 WLAN, bit 2 Bluetooth
inline constexpr std::uint8_t EC_GPS_CONTROL = 0xBF;       // KQS: bit 0 GPS power
inline constexpr std::uint8_t EC_FW_VERSION_MAJOR = 0xFE;
inline constexpr std::uint8_t EC_FW_VERSION_MINOR = 0xFF;

// Extended CMOS (read only for the libraries).
inline constexpr std::uint8_t CMOS_WLAN_STATUS = 0x60;    // bit 7 on; non-zero: fitted
inline constexpr std::uint8_t CMOS_BT_STATUS = 0x61;      // bit 7 on
inline constexpr std::uint8_t CMOS_GPS_STATUS = 0x63;     // bit 7 on
inline constexpr std::uint8_t CMOS_ANTENNA_STATUS = 0x65; // bit 3: 1 external, 0 internal

// EC command codes.
inline constexpr std::uint8_t EC_CMD_ANTENNA_INTERNAL = 0x06;
inline constexpr std::uint8_t EC_CMD_ANTENNA_EXTERNAL = 0x07;
inline constexpr std::uint8_t EC_CMD_GPS_ON = 0x1D;
inline constexpr std::uint8_t EC_CMD_GPS_OFF = 0x1E;
inline constexpr std::uint8_t EC_CMD_WLAN_ON = 0x20;
inline constexpr std::uint8_t EC_CMD_WLAN_OFF = 0x21;
inline constexpr std::uint8_t EC_CMD_BT_ON = 0x22;
inline constexpr std::uint8_t EC_CMD_BT_OFF = 0x23;
inline constexpr std::uint8_t EC_CMD_WLANBT_POWER_ON = 0x3D;
inline constexpr std::uint8_t EC_CMD_WLANBT_POWER_OFF = 0x3E;

} // namespace tarvik::ecmap
