#pragma once

#include "ToolCommands.h"

namespace tarvik::board::tool {

// The simulated J1939 interpreter: its peer for `serve` ("j1939") and its section of `show`.
const std::vector<Service>& j1939Services();
const std::vector<ShowSection>& j1939ShowSections();

} // namespace tarvik::board::tool
