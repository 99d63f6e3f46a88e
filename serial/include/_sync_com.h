#pragma once

#include "_base_com.h"

// A port for plain request/answer use by one caller at a time (the vehicle library's interpreter
// port): reads return at once with what is queued, writes wait up to the write time-out.
class _sync_com : public _base_com {
public:
    _sync_com() = default;

    // Closes first when open, then opens the device.
    bool open() override;

    // At most size − 1 queued bytes into buffer, always NUL-terminated after them (nothing is
    // written when size < 1). Line errors seen since the last query discard the receive queue and
    // give 0; so does a port whose queue cannot be read (gone).
    int read(char* buffer, int size);
    // Writes length bytes, giving up at the write time-out; returns the bytes written (fewer when
    // the time-out struck), 0 when the port is closed, data is null or the device refused. Line
    // errors seen since the last query discard the transmit queue first.
    int write(const char* data, int length);
};
