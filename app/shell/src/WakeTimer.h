#pragma once

#include <cstdint>

// A timer that wakes the machine from suspend (Windows's waitable timer with wake-up): a seam with a
// Linux back end (LinuxWakeTimer) and the virtual board's (BoardWakeTimer), chosen once per process;
// a test may put its own in front.
class WakeTimer {
public:
    virtual ~WakeTimer() = default;
    // Makes the timer, or keeps the one made before. False when no timer that can wake the machine
    // can be made.
    virtual bool Create() = 0;
    // Arms it once for an absolute time (UTC, 100-ns units since 1970), to wake the machine if it
    // is suspended then. False when it cannot be armed.
    virtual bool SetAbsolute(std::int64_t dueUtcUnits) = 0;
    // Gives the timer up (an unarmed timer is closed after a failed arming).
    virtual void Close() = 0;
};

WakeTimer& wakeTimer();
// Puts a timer in front of the process's own until called with nullptr (tests).
void overrideWakeTimer(WakeTimer* timer);
