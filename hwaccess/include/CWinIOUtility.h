#pragma once

#include <cstdint>

// EC and extended-CMOS access for the library this is compiled into. Each library keeps its own
// use count and started flag (the symbols are hidden), while the port driver underneath is one per
// process. Callers are all on one thread; no operation checks an object's initialised flag.
class CWinIOUtility {
public:
    static std::uint32_t ReadECByte(std::uint8_t address);
    static void WriteECByte(std::uint8_t address, std::uint8_t value);
    static void SendECCommand(std::uint8_t command);
    static std::uint8_t ReadCMOSByte(std::uint8_t index);

    // Takes one unit of this library's use count, starting the driver when needed; the caller keeps
    // the result as its initialised flag.
    static bool AcquirePortAccess();
    // Gives the unit back; only for an object whose initialised flag is true.
    static void ReleasePortAccess();

    // This library's use count and started flag (diagnostics and tests).
    static int UseCount();
    static bool Started();
};
