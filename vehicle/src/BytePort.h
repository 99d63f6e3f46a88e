#pragma once

namespace tarvik::vehicle {

// The interpreter's serial line as the exchanges need it. The library's synchronous port fits it as
// it is; tests put a scripted chip behind it.
class BytePort {
public:
    virtual ~BytePort() = default;

    // Reads at most size - 1 of the bytes already received, without waiting, and puts a NUL after
    // them. Returns how many; 0 when nothing is queued, the port is closed, or a line error made it
    // discard what was queued.
    virtual int read(char* buffer, int size) = 0;

    // Sends length bytes; returns how many were sent, 0 when the port is closed or refused them.
    virtual int write(const char* data, int length) = 0;
};

} // namespace tarvik::vehicle
