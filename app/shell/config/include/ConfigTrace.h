#pragma once

#include <functional>
#include <string>

// Where the configuration routines send their trace lines: one line per call, without a line end.
// The program connects its trace operations here (the start-up paths to TraceDebug, the rest to
// TraceMessage); an empty function drops the lines.
using ConfigTrace = std::function<void(const std::wstring& line)>;

inline void sendConfigTrace(const ConfigTrace& trace, const std::wstring& line)
{
    if (trace)
        trace(line);
}
