// The access layer on the virtual board, with the board's own EC and its faults.
#include "Board.h"
#include "CWinIOUtility.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::board::Board;

TEST(EcOnBoard, WriteWithTheOutputBufferLeftFullStillWritesAndFreesTheBoard)
{
    auto made = Board::create(testBoardDir(), "KTA");
    ASSERT_TRUE(made) << made.error();
    std::unique_ptr<Board> board = std::move(*made);
    RecordingSleeper sleeper;
    SleeperOverride sleeperGuard{sleeper};
    ASSERT_TRUE(CWinIOUtility::AcquirePortAccess());

    sleeper.clear();
    CWinIOUtility::WriteECByte(0x40, 0x11);
    const auto cleanWrite = sleeper.totalMs();

    ASSERT_TRUE(board->setFault("ec-obf-after-write", ""));
    sleeper.clear();
    CWinIOUtility::WriteECByte(0x40, 0x5A);
    // The wait after the address, done in one 3 ms poll when the EC is well, runs its 100 polls out;
    // the value is written all the same.
    EXPECT_EQ(sleeper.totalMs(), cleanWrite - 3u + 100u * 3u);
    EXPECT_EQ(board->memory().state().ec[0x40], 0x5A);

    // Another process gets the board at once: the stuck poll left no lock behind.
    const CommandResult r = runCommand({TARVIK_BOARD_TOOL, "-d", testBoardDir(), "ec", "40"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0x5a\n");
    CWinIOUtility::ReleasePortAccess();
}
