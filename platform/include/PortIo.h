#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>

namespace tarvik {

// Byte access to the I/O ports the EC (0x68/0x6C) and extended CMOS (0x72/0x73) sit on: the
// stand-in for the WinIo port driver. One per process (see processPortIo).
class PortIo {
public:
    virtual ~PortIo() = default;

    // Starts the driver. False when it cannot start (no privilege, board refuses); the caller may
    // simply try again.
    virtual bool initialize() = 0;

    // Reads one byte into *value (upper 24 bits zero). False, and *value untouched, when the port
    // cannot be read.
    virtual bool readPort(std::uint16_t port, std::uint32_t* value) = 0;

    // Writes the low byte of value. False when the write did not reach the port.
    virtual bool writePort(std::uint16_t port, std::uint32_t value) = 0;
};

// The port driver of this process: /dev/port on real hardware, the board's EC otherwise.
TARVIK_PLATFORM_EXPORT PortIo& processPortIo();

// Replaces the process's port driver until called again with nullptr (tests only). The caller
// keeps the object alive while it is installed.
TARVIK_PLATFORM_EXPORT void overrideProcessPortIo(PortIo* portIo);

} // namespace tarvik
