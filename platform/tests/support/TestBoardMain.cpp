// main() for tests that run on the virtual board: the process gets a fresh KTA board in a
// temporary folder (TARVIK_BOARD) before anything chooses a back end, and loses it at the end.
#include "Board.h"
#include "TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    tarvik::test::TempDir dir;
    auto board = tarvik::board::Board::create(dir.path(), "KTA");
    if (!board) {
        std::cerr << "cannot create the test board: " << board.error() << "\n";
        return 1;
    }
    setenv("TARVIK_BOARD", dir.path().c_str(), 1);
    unsetenv("TARVIK_COM_DIR");
    return RUN_ALL_TESTS();
}
