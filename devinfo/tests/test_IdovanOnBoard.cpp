// CIdovan on the virtual board: firmware values, devices and the EC come from the board the test
// process runs on, changed the way a technician would change them.
#include "Board.h"
#include "Idovan.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvik::test;
using tarvik::board::Board;

namespace {

class IdovanOnBoard : public testing::Test {
protected:
    void SetUp() override
    {
        auto made = Board::create(testBoardDir(), "KQS");
        ASSERT_TRUE(made) << made.error();
        board = std::move(*made);
    }
    std::wstring text(int (CIdovan::*op)(wchar_t*), CIdovan& idovan)
    {
        std::vector<wchar_t> buffer(CIdovan::kTextBufferChars);
        (idovan.*op)(buffer.data());
        return buffer.data();
    }

    RecordingSleeper sleeper;
    SleeperOverride sleeperGuard{sleeper};
    std::unique_ptr<Board> board;
};

TEST_F(IdovanOnBoard, ReadsTheBoardsIdentity)
{
    CIdovan idovan;
    testing::internal::CaptureStdout();
    EXPECT_EQ(idovan.vDI_ModelType(), CIdovan::MODEL_KQS);
    EXPECT_EQ(text(&CIdovan::vDI_BIOSVersion, idovan), L"KQS1.05");
    EXPECT_EQ(text(&CIdovan::vDI_SystemPCBVersion, idovan), L"R81-PCB-V1.3");
    EXPECT_EQ(text(&CIdovan::vDI_ECVersion, idovan), L"0301");
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"u-blox GNSS Receiver"), 3);
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"STN1110 J1939 Interpreter"), 5);
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"Sierra Wireless WWAN Modem"), 7);
    testing::internal::GetCapturedStdout();
}

TEST_F(IdovanOnBoard, ChangesOnTheBoardShowAtTheNextCall)
{
    CIdovan idovan;
    ASSERT_TRUE(board->setValue("BIOSVersion", "KTM2.05"));
    EXPECT_EQ(idovan.vDI_ModelType(), CIdovan::MODEL_KTM);
    ASSERT_TRUE(board->unsetValue("BIOSVersion"));
    EXPECT_EQ(idovan.vDI_ModelType(), CIdovan::MODEL_OTHER);
    EXPECT_EQ(text(&CIdovan::vDI_BIOSVersion, idovan), L"");

    ASSERT_TRUE(board->clearDevices());
    ASSERT_TRUE(board->addDevice("ports", "GPS (COM4)", ""));
    ASSERT_TRUE(board->addDevice("ports", "GPS (COM11)", ""));
    EXPECT_EQ(idovan.vDI_ModuleSerialPortNumber(L"GPS"), 11);
}

TEST_F(IdovanOnBoard, EcVersionBytesComeFromEcRam)
{
    board->memory().locked([](tarvik::board::BoardState& s) { s.ec[0xFE] = 0x07; });
    CIdovan idovan;
    std::uint8_t major = 0, minor = 0;
    idovan.vDI_ECVersionNumber(&major, &minor);
    EXPECT_EQ(major, 0x07);
    EXPECT_EQ(minor, 0x01);
    EXPECT_EQ(sleeper.count(3), 10u) << "two reads, five 3 ms waits each";
}

TEST_F(IdovanOnBoard, DriverThatRefusesTwiceStillStarts)
{
    ASSERT_TRUE(board->setFault("driver-refuse", "2"));
    CIdovan idovan;
    EXPECT_EQ(sleeper.waits(), (std::vector<unsigned>{2, 2}));
    std::uint8_t major = 0, minor = 0;
    board->memory().locked([](tarvik::board::BoardState& s) { s.ec[0xFE] = 0x09; });
    idovan.vDI_ECVersionNumber(&major, &minor);
    EXPECT_EQ(major, 0x09) << "initialised: read from the EC";
    EXPECT_EQ(board->memory().locked([](tarvik::board::BoardState& s) { return s.driverRefusals; }), 2u);
}

TEST_F(IdovanOnBoard, DriverThatNeverStartsFallsBackToTheFirmware)
{
    ASSERT_TRUE(board->setFault("driver-refuse", "always"));
    board->memory().locked([](tarvik::board::BoardState& s) { s.ec[0xFE] = 0x09; });
    CIdovan idovan;
    EXPECT_EQ(sleeper.count(2), 10u);
    std::uint8_t major = 0, minor = 0;
    idovan.vDI_ECVersionNumber(&major, &minor);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 1);
}

TEST_F(IdovanOnBoard, StuckEcStatusMakesEveryWaitRunOutButTheDataStillArrives)
{
    ASSERT_TRUE(board->setFault("ec-status-stuck", "28"));
    CIdovan idovan;
    sleeper.clear();
    std::uint8_t major = 0, minor = 0;
    idovan.vDI_ECVersionNumber(&major, &minor);
    EXPECT_EQ(sleeper.totalMs(), 2u * 609u);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 1);
}

} // namespace
