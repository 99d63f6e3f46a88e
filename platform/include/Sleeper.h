#pragma once

#include "TarvikPlatformExport.h"

namespace tarvik {

// Every fixed hardware delay goes through this, so that tests count waits instead of waiting.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleepMs(unsigned milliseconds) = 0;
};

// Sleeps on the monotonic clock until the absolute deadline, so an interrupted or early wake-up
// never shortens the wait and the wait is not lengthened by whole milliseconds either.
class TARVIK_PLATFORM_EXPORT RealSleeper final : public Sleeper {
public:
    void sleepMs(unsigned milliseconds) override;
};

TARVIK_PLATFORM_EXPORT Sleeper& processSleeper();

// Replaces the process's sleeper until called again with nullptr (tests only).
TARVIK_PLATFORM_EXPORT void overrideProcessSleeper(Sleeper* sleeper);

} // namespace tarvik
