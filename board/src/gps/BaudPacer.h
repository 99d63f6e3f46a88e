#pragma once

#include <cstddef>

namespace tarvik::board::gps {

// A serial line's pace: bytes leave one after another, each taking 10 bit times (start bit, 8
// data bits, stop bit). Times are seconds on any steady clock.
class BaudPacer {
public:
    explicit BaudPacer(unsigned baud);

    double byteSeconds() const { return byteSeconds_; }
    // The line has nothing to send before t: idle time is not saved up for later.
    void idleUntil(double t);
    // Of `wanted` bytes waiting, how many the line has carried by `now`; those count as sent.
    std::size_t take(double now, std::size_t wanted);

private:
    double byteSeconds_;
    double lineTime_ = 0.0; // when the last byte sent finished
};

} // namespace tarvik::board::gps
