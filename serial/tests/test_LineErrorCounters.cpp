#include "ComSettings.h"
#include "LineErrorCounters.h"

#include <gtest/gtest.h>

TEST(LineErrorCounters, EachGrownCounterGivesItsErrorBit)
{
    const LineErrorCounters base{5, 6, 7, 8, 9};
    const struct {
        LineErrorCounters now;
        std::uint32_t bits;
    } cases[] = {
        {{5, 6, 7, 8, 9}, 0},
        {{6, 6, 7, 8, 9}, kCommErrorFrame},
        {{5, 7, 7, 8, 9}, kCommErrorOverrun},
        {{5, 6, 8, 8, 9}, kCommErrorParity},
        {{5, 6, 7, 9, 9}, kCommErrorBreak},
        {{5, 6, 7, 8, 10}, kCommErrorRxOver},
        {{9, 6, 9, 8, 9}, kCommErrorFrame | kCommErrorParity},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        EXPECT_EQ(c.now.errorBitsSince(base), c.bits);
    }
    // A counter that wrapped around still changed.
    EXPECT_EQ((LineErrorCounters{0, 0, 0, 0, 0}).errorBitsSince({0xFFFFFFFFu, 0, 0, 0, 0}), kCommErrorFrame);
}
