#include "LineErrorCounters.h"

#include "ComSettings.h"

std::uint32_t LineErrorCounters::errorBitsSince(const LineErrorCounters& before) const
{
    std::uint32_t bits = 0;
    if (frame != before.frame)
        bits |= kCommErrorFrame;
    if (overrun != before.overrun)
        bits |= kCommErrorOverrun;
    if (parity != before.parity)
        bits |= kCommErrorParity;
    if (brk != before.brk)
        bits |= kCommErrorBreak;
    if (bufferOverrun != before.bufferOverrun)
        bits |= kCommErrorRxOver;
    return bits;
}
