#pragma once

// Helpers of the configuration tests: a trace that records, and an environment held in a map.

#include "ConfigTrace.h"
#include "DataPaths.h"

#include <map>
#include <string>
#include <vector>

namespace tarvik::test {

struct RecordedTrace {
    std::vector<std::wstring> lines;
    ConfigTrace sink()
    {
        return [this](const std::wstring& line) { lines.push_back(line); };
    }
};

inline DataPathSources sourcesFrom(std::map<std::string, std::string> env, std::string exe = "/opt/tarvik/bin/Tarvik")
{
    DataPathSources s;
    s.environment = [env = std::move(env)](const char* name) -> std::optional<std::string> {
        const auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional(it->second);
    };
    s.executablePath = std::move(exe);
    return s;
}

} // namespace tarvik::test
