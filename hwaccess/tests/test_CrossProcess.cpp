// EC transactions of two processes on one virtual board never interleave.
#include "TestSupport.h"

#include <future>
#include <gtest/gtest.h>

using namespace tarvik::test;

TEST(CrossProcessTransactions, TwoProcessesHammeringTheEcNeverSeeEachOthersBytes)
{
    TempDir dir;
    auto hammer = [&](const char* address, const std::string& mine, const std::string& other) {
        return std::async(std::launch::async, [address, mine = dir.file(mine), other = dir.file(other)] {
            return runCommand({EC_HAMMER, address, "20000", mine, other});
        });
    };
    auto a = hammer("40", "a", "b");
    auto b = hammer("41", "b", "a");
    const CommandResult ra = a.get();
    const CommandResult rb = b.get();
    EXPECT_EQ(ra.status, 0) << ra.out << ra.err;
    EXPECT_EQ(rb.status, 0) << rb.out << rb.err;
}
