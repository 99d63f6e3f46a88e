#pragma once

#include "_base_com.h"

// A port read by whoever is woken for it (the base of the threaded port). Linux has no overlapped
// I/O: the descriptor is non-blocking, so a read completes at once and needs no completion record.
class _asyn_com : public _base_com {
public:
    _asyn_com() = default;
    ~_asyn_com() override;

    // Closes first when open, then opens the device.
    bool open() override;

    // Empties the buffer, then places at most size − 1 queued bytes in it, NUL-terminated after
    // them (nothing is written when size < 1). 0 when nothing is queued, when line errors seen since
    // the last query made it discard the receive queue, or when the queue cannot be read (gone).
    int read(char* buffer, int size);
};
