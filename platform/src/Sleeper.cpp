#include "Sleeper.h"

#include "SeamSlot.h"

#include <cerrno>
#include <ctime>

namespace tarvik {

void RealSleeper::sleepMs(unsigned milliseconds)
{
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_nsec -= 1000000000L;
        ++deadline.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

namespace {
SeamSlot<Sleeper> slot;
}

Sleeper& processSleeper()
{
    return slot.get([] { return std::make_unique<RealSleeper>(); });
}

void overrideProcessSleeper(Sleeper* sleeper) { slot.setOverride(sleeper); }

} // namespace tarvik
