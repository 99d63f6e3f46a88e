#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarvik::board {
struct VehicleValues;
}

namespace tarvik::board::j1939 {

// A parameter group the simulated vehicle broadcasts: who sends it, how often, and its data bytes
// from the vehicle's values (J1939-71 layouts; parameters the model lacks are sent as "not
// available", all bits set).
struct ParameterGroup {
    std::uint32_t pgn;
    const char* name;
    std::uint8_t priority;
    std::uint8_t sourceAddress;
    unsigned periodMs;
    std::vector<std::uint8_t> (*encode)(const VehicleValues& values);
};

// The one table of groups, in PGN order.
std::span<const ParameterGroup> parameterGroups();
// The group with that PGN, or null when the vehicle does not send it.
const ParameterGroup* findParameterGroup(std::uint32_t pgn);

} // namespace tarvik::board::j1939
