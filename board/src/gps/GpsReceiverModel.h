#pragma once

#include "GpsReceiverSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::board::gps {

// What a u-blox receiver sends in one navigation epoch, in its order: RMC, VTG, GGA, GSA, GSV…,
// GLL, framed with checksums and CR LF. With the GP talker all of them say $GP; with GN the
// position sentences say $GN, each constellation has its GSA ($GNGSA) and GSV ($GPGSV, $GLGSV).
//
//   $GPGGA,092725.00,2503.12498,N,12131.78332,E,1,08,1.01,12.5,M,16.5,M,,*5B
//          UTC       latitude     longitude     q sats hdop alt    geoid sep
class GpsReceiverModel {
public:
    explicit GpsReceiverModel(const GpsReceiverSettings& settings);

    // The epoch at utcSeconds (since 1970), routeSeconds into the route. `searching` is a receiver
    // without a fix at all: quality 0 and empty position fields, whatever the settings say.
    std::vector<std::string> epoch(double utcSeconds, double routeSeconds, bool searching) const;

    // Bytes of a receiver gone wrong (the gps-garbage fault): noise over the whole byte range with
    // sentence starts in it that never complete.
    static std::string noise(std::uint32_t seed, std::size_t length);
    // What a port set to another baud rate than the receiver's makes of its bytes: framing-error
    // garbage, all in the upper half (so never a '$').
    static std::string garble(const std::string& bytes);

    // ddmm.mmmmm / dddmm.mmmmm of |degrees|, as the receiver prints them.
    static std::string nmeaCoordinate(double degrees, int degreeDigits);

private:
    GpsReceiverSettings settings_;
};

} // namespace tarvik::board::gps
