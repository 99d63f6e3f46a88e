#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where an installed program keeps its read-only resources (the skin, the per-model templates):
// <prefix>/share/tarvik/<kind>/, found from the program's own folder (<prefix>/bin/), so that a
// prefix copied or moved as a whole still works. The folder, ending in "/", when it exists; nullopt
// when it does not, as in the build folder, where the resources lie beside the program.
std::optional<std::string> InstalledResourceFolder(const std::string& programFolder, std::string_view kind);
