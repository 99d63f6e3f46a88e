// Each library that compiles the access layer in keeps its own use count, although the port
// driver underneath is one per process.
#include "Idovan.h"
#include "SimulatedEcPorts.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

extern "C" {
bool probeA_acquire();
void probeA_release();
int probeA_useCount();
bool probeB_acquire();
void probeB_release();
int probeB_useCount();
}

TEST(AccessLayerCopies, EachLibraryCountsItsOwnUnits)
{
    tarvik::test::SimulatedEcPorts ports;
    tarvik::test::RecordingSleeper sleeper;
    tarvik::test::PortIoOverride portGuard(ports);
    tarvik::test::SleeperOverride sleepGuard(sleeper);

    ASSERT_TRUE(probeA_acquire());
    EXPECT_EQ(ports.initializeCalls, 1);
    EXPECT_EQ(probeA_useCount(), 1);
    EXPECT_EQ(probeB_useCount(), 0) << "library B must not see library A's unit";

    ASSERT_TRUE(probeB_acquire());
    EXPECT_EQ(ports.initializeCalls, 2) << "B's first unit starts the driver through B's own count";

    {
        CIdovan idovan; // a third copy, inside Idovan
        EXPECT_EQ(ports.initializeCalls, 3);
        EXPECT_EQ(probeA_useCount(), 1);
        EXPECT_EQ(probeB_useCount(), 1);
    }

    ASSERT_TRUE(probeA_acquire());
    EXPECT_EQ(ports.initializeCalls, 3) << "A already holds a unit";
    EXPECT_EQ(probeA_useCount(), 2);
    probeA_release();
    probeA_release();
    probeB_release();
    EXPECT_EQ(probeA_useCount(), 0);
    EXPECT_EQ(probeB_useCount(), 0);
}
