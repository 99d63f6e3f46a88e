// The wake-up computation at suspend: delay to the wake time of day with the wrap at midnight and
// the 64-bit due time.

#include "WakeSchedule.h"

#include <gtest/gtest.h>

namespace {

struct DelayCase {
    TimeOfDay now;
    TimeOfDay wake;
    std::int32_t delay;
};

TEST(WakeSchedule, DelayToTheWakeTime)
{
    const DelayCase cases[] = {
        {{23, 50, 0}, {0, 10, 0}, 1200},     // across midnight
        {{7, 0, 0}, {7, 0, 0}, 0},           // equal times: at once
        {{0, 0, 1}, {0, 0, 0}, 86399},       // one second ago: almost a day ahead
        {{6, 59, 59}, {7, 0, 0}, 1},
        {{12, 0, 0}, {7, 30, 15}, 70215},    // later today: tomorrow morning
        {{0, 0, 0}, {23, 59, 59}, 86399},
    };
    for (const DelayCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.now.hour << ":" << c.now.minute << ":" << c.now.second << " -> "
                                        << c.wake.hour << ":" << c.wake.minute << ":" << c.wake.second);
        EXPECT_EQ(WakeDelaySeconds(c.wake, c.now), c.delay);
    }
}

TEST(WakeSchedule, DueTimeIsComputedIn64Bits)
{
    // 2024-03-01 12:00:00 UTC in 100-ns units since 1970.
    const std::int64_t now = 1709294400LL * kTimerUnitsPerSecond;
    EXPECT_EQ(WakeDueTime(now, 0), now);
    EXPECT_EQ(WakeDueTime(now, 1200), now + 12'000'000'000LL);
    // 86 399 s is 863 990 000 000 units: far past 32 bits, and still exact.
    EXPECT_EQ(WakeDueTime(now, 86399) - now, 863'990'000'000LL);
    EXPECT_EQ(SecondsOfDay({23, 59, 59}), 86399);
}

} // namespace
