// The start-up configuration steps on the virtual board, with the real device information library:
// for each board model, the first start copies that model's templates and finds the ports of the
// preset devices; the second start leaves the files alone.

#include "Board.h"
#include "ConfigTestSupport.h"
#include "DataPaths.h"
#include "HardType.h"
#include "Idovan.h"
#include "KeyMap.h"
#include "PortDiscovery.h"
#include "PrivateProfile.h"
#include "TemplateCopy.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

using tarvik::test::readFile;
using tarvik::test::RecordedTrace;
using tarvik::test::sourcesFrom;
using tarvik::test::TempDir;

namespace {

struct BoardCase {
    const char* model;
    int modelType;
    const char* settingsTemplate;
    std::size_t keys;
};

class StartupOnBoard : public testing::TestWithParam<BoardCase> {};

TEST_P(StartupOnBoard, FirstAndSecondStart)
{
    const BoardCase& c = GetParam();
    ASSERT_TRUE(tarvik::board::Board::create(tarvik::test::testBoardDir(), c.model));
    TempDir data;
    DataPaths paths = ResolveDataPaths(sourcesFrom({{"PUBLIC", data.path()}}), {});
    paths.templateFolder = tarvik::utf8ToWide(std::string(TARVIK_TEMPLATE_DIR) + "/");

    CIdovan idovan;
    idovan.Initialize();
    const int modelType = idovan.vDI_ModelType();
    ASSERT_EQ(modelType, c.modelType);
    const SerialPortLookup lookup = [&](const std::wstring& d) { return idovan.vDI_ModuleSerialPortNumber(d.c_str()); };

    RecordedTrace trace;
    CopyTemplates(paths, modelType, trace.sink());
    DiscoverPorts(paths.settingsFile, lookup, trace.sink());
    ASSERT_EQ(trace.lines.size(), 7u);
    EXPECT_EQ(trace.lines[0], L"\nApp source ini file =[" + paths.templateFolder +
                                  tarvik::utf8ToWide(c.settingsTemplate) + L"]");
    EXPECT_EQ(trace.lines[1], L"\nApp copy ini file firstly.");
    EXPECT_EQ(trace.lines[3], L"\nApp copy km_config ini file firstly.");
    EXPECT_EQ(trace.lines[4], L"\nApp COM_PORT_DESC=[u-blox GNSS Receiver] COM_PORT_TYPE=[1] dcomport=[3].");
    EXPECT_EQ(trace.lines[5], L"\nApp COM_PORT_DESC=[Sierra Wireless WWAN Modem] COM_PORT_TYPE=[1] dcomport=[7].");
    EXPECT_EQ(trace.lines[6], L"\nApp COM_PORT_DESC=[STN1110 J1939 Interpreter] COM_PORT_TYPE=[1] dcomport=[5].");

    const wchar_t* file = paths.settingsFile.c_str();
    EXPECT_EQ(GetPrivateProfileIntW(L"LOCATION_SENSOR", L"COM_PORT", 0, file), 3u);
    EXPECT_EQ(GetPrivateProfileIntW(L"COMMUNICATION", L"COM_PORT", 0, file), 7u);
    EXPECT_EQ(GetPrivateProfileIntW(L"VEHICLE_STATUS", L"COM_PORT", 0, file), 5u);

    KeyMap map;
    ASSERT_TRUE(LoadKeyMap(map, paths.keyMapFile));
    ASSERT_EQ(map.kKeySets.size(), 1u);
    EXPECT_EQ(map.kKeySets[0].size(), c.keys);

    // Second start: both files exist, every port is known.
    const std::string settingsBefore = readFile(tarvik::wideToUtf8(paths.settingsFile));
    trace.lines.clear();
    CopyTemplates(paths, modelType, trace.sink());
    DiscoverPorts(paths.settingsFile, lookup, trace.sink());
    ASSERT_EQ(trace.lines.size(), 4u);
    EXPECT_EQ(trace.lines[1], L"\nApp Tarvik.ini file is exist.");
    EXPECT_EQ(trace.lines[3], L"\nApp km_config.ini file is exist.");
    EXPECT_EQ(readFile(tarvik::wideToUtf8(paths.settingsFile)), settingsBefore);
    idovan.Uninitialize();
}

INSTANTIATE_TEST_SUITE_P(Models, StartupOnBoard,
                         testing::Values(BoardCase{"KTA", 1, "GX58_default.INI", 5},
                                         BoardCase{"KTM", 4, "RQ63_default.INI", 5},
                                         BoardCase{"KQS", 7, "RQ81_default.INI", 18},
                                         BoardCase{"KZS", 8, "RQ72_default.INI", 18}),
                         [](const auto& info) { return std::string(info.param.model); });

} // namespace
