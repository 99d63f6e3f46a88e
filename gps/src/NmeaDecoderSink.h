#pragma once

#include <string_view>

struct GpsPositionRecord;

// Where the GGA decoder's results go: its trace lines (each given with its own line ends) and the
// record after every sentence it decoded, whole.
class NmeaDecoderSink {
public:
    virtual ~NmeaDecoderSink() = default;
    virtual void trace(std::string_view text) = 0;
    virtual void publish(const GpsPositionRecord& record) = 0;
};
