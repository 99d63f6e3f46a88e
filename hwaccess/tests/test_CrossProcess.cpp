// EC transactions of two processes on one virtual board never interleave.
#include "TestSupport.h"

#include <future>
#include <gtest/gtest.h>

using namespace tarvik::test;

TEST(CrossProcessTransactions, TwoProcessesHammeringTheEcNeverSeeEachOthersBytes)
{
    auto hammer = [](const char* address) { return std::async(std::launch::async, [address] {
        return runCommand({EC_HAMMER, address, "20000"});
    }); };
    auto a = hammer("40");
    auto b = hammer("41");
    const CommandResult ra = a.get();
    const CommandResult rb = b.get();
    EXPECT_EQ(ra.status, 0) << ra.out << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.out << rb.err;
}
