#include "NmeaFraming.h"

#include <cstdio>

namespace tarvik::board::gps {

unsigned nmeaChecksum(std::string_view body)
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    return sum;
}

std::string frameSentence(std::string_view body)
{
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", nmeaChecksum(body));
    return "$" + std::string(body) + tail;
}

} // namespace tarvik::board::gps
