#pragma once

#include "TarvikPlatformExport.h"

namespace tarvik {

// The libraries' diagnostic lines: printf-formatted to standard output and flushed at once, so that
// lines of several libraries (and of a test reading them) keep their order.
TARVIK_PLATFORM_EXPORT void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace tarvik
