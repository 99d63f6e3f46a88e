#pragma once

#include "ToolCommands.h"

namespace tarvik::board::tool {

// The simulated GPS receiver: its peer for `serve` and its section of `show`.
const std::vector<Service>& gpsServices();
const std::vector<ShowSection>& gpsShowSections();

} // namespace tarvik::board::tool
