#pragma once

#include <string>
#include <string_view>

namespace tarvik::board::gps {

// NMEA 0183 framing: "$" + body + "*" + the XOR of the body's bytes in two upper-case hex digits
// + CR LF. A receiver's sentence is at most 82 characters with the framing.
inline constexpr std::size_t kMaxSentenceLength = 82;

unsigned nmeaChecksum(std::string_view body);
std::string frameSentence(std::string_view body);

} // namespace tarvik::board::gps
