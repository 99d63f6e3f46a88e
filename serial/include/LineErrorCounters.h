#pragma once

#include <cstdint>

// The line-error counters a serial driver keeps (Linux TIOCGICOUNT). Errors are noticed by their
// growth between two readings, which is how the port classes turn the counters into the error bits
// a read or a write acts on.
struct LineErrorCounters {
    std::uint32_t frame = 0;
    std::uint32_t overrun = 0;
    std::uint32_t parity = 0;
    std::uint32_t brk = 0;
    std::uint32_t bufferOverrun = 0;

    // The kCommError… bits of every counter that grew since `before` (counters wrap around).
    std::uint32_t errorBitsSince(const LineErrorCounters& before) const;
};
