#pragma once

#include <cstdint>

namespace tarvik::board {

// The running state of the board's sensor service, in "sensors.mem" beside the board's memory
// (see MappedState). The values a person sets (accelerometer, drift, CPU temperature) are profile
// values; this holds only what the sensors change themselves. A zero field means "never set".
struct SensorBoardState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'S', 'E', 'N', 'S', 'R'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "sensors.mem";

    std::uint32_t reportIntervalMs; // 0: the default
    std::uint32_t reportsTaken;     // accelerometer reports so far; drives the drift
};

} // namespace tarvik::board
