#include "BaudPacer.h"

#include <algorithm>
#include <cmath>

namespace tarvik::board::gps {

namespace {
constexpr double kBitsPerByte = 10.0;
}

BaudPacer::BaudPacer(unsigned baud)
    : byteSeconds_(kBitsPerByte / std::max(1u, baud))
{
}

void BaudPacer::idleUntil(double t)
{
    lineTime_ = std::max(lineTime_, t);
}

std::size_t BaudPacer::take(double now, std::size_t wanted)
{
    if (now <= lineTime_)
        return 0;
    // A hair of slack keeps floating-point rounding from holding back a byte that is due.
    const double due = std::floor((now - lineTime_) / byteSeconds_ + 1e-9);
    const std::size_t n = std::min(wanted, static_cast<std::size_t>(due));
    lineTime_ += static_cast<double>(n) * byteSeconds_;
    return n;
}

} // namespace tarvik::board::gps
