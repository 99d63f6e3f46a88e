// The small conversions of the configuration: hexadecimal texts, inner command names, hardware
// type names, and the boolean and integer reads of the key map.

#include "CPrivProfile.h"
#include "HardType.h"
#include "HexText.h"
#include "InnerCmd.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

TEST(ParseHex, ReadsHexFromTheStart)
{
    const std::pair<const wchar_t*, std::uint32_t> cases[] = {
        {L"55", 0x55},       {L"0x55", 0x55},       {L"0X6e", 0x6E},      {L"", 0},
        {L"0x", 0},          {L"zz", 0},            {L"1Bkey", 0x1B},     {L"  A1", 0xA1},
        {L"FFFFFFFF", 0xFFFFFFFFu}, {L"123456789", 0xFFFFFFFFu}, {L"-1", 0}, {L"3F", 0x3F},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(tarvik::wideToUtf8(text));
        EXPECT_EQ(ParseHex(text), value);
    }
}

TEST(ReadHexList, SkipsEmptyPiecesAndKeepsOrder)
{
    const std::pair<const wchar_t*, std::vector<std::int32_t>> cases[] = {
        {L",11,,10,2E,", {0x11, 0x10, 0x2E}},
        {L"11,10,1B", {0x11, 0x10, 0x1B}},
        {L"0x26", {0x26}},
        {L"", {}},
        {L",,,", {}},
        {L"11, 10", {0x11, 0x10}},
        {L"xy,0D", {0, 0x0D}},
    };
    for (const auto& [text, values] : cases) {
        SCOPED_TRACE(tarvik::wideToUtf8(text));
        EXPECT_EQ(ReadHexList(text), values);
    }
}

TEST(InnerCmdFromText, ExactNameInAnyCase)
{
    const std::pair<const wchar_t*, InnerCmd> cases[] = {
        {L"SwitchUtility_HOME", INNER_CMD_SWITCH_HOME},
        {L"switchutility_system", INNER_CMD_SWITCH_SYSTEM},
        {L"SwitchUtility_Vehicle", INNER_CMD_SWITCH_VEHICLE},
        {L"BrightnessUp", INNER_CMD_BRIGHTNESS_UP},
        {L"BRIGHTNESSDOWN", INNER_CMD_BRIGHTNESS_DOWN},
        {L"VolumeUp", INNER_CMD_VOLUME_UP},
        {L"volumedown", INNER_CMD_VOLUME_DOWN},
        {L"Ctrl_Alt_Del", INNER_CMD_CTRL_ALT_DEL},
        {L"switchutility_homepage", INNER_CMD_NONE},
        {L" switchutility_home", INNER_CMD_NONE},
        {L"", INNER_CMD_NONE},
    };
    for (const auto& [text, cmd] : cases) {
        SCOPED_TRACE(tarvik::wideToUtf8(text));
        EXPECT_EQ(InnerCmdFromText(text), cmd);
    }
}

TEST(HardType, FromModelAndName)
{
    EXPECT_EQ(HardTypeOfModel(kModelTypeRQ63, 1), HARD_TYPE_RQ63_H);
    EXPECT_EQ(HardTypeOfModel(kModelTypeRQ63, 0), HARD_TYPE_RQ63_L);
    EXPECT_EQ(HardTypeOfModel(kModelTypeRQ81, 1), HARD_TYPE_RQ81);
    EXPECT_EQ(HardTypeOfModel(kModelTypeRQ72, 0), HARD_TYPE_RQ72);
    for (int model : {0, 1, 2, 3, 5, 6, 9, -1})
        EXPECT_EQ(HardTypeOfModel(model, 1), HARD_TYPE_GX58) << model;
    for (HardType t : {HARD_TYPE_GX58, HARD_TYPE_RQ63_L, HARD_TYPE_RQ63_H, HARD_TYPE_RQ81, HARD_TYPE_RQ72})
        EXPECT_EQ(HardTypeFromName(HardTypeName(t)), t);
    EXPECT_STREQ(HardTypeName(HARD_TYPE_RQ63_H), L"RQ63_H");
    EXPECT_EQ(HardTypeFromName(L""), HARD_TYPE_GX58);
    EXPECT_EQ(HardTypeFromName(L"rq81"), HARD_TYPE_GX58) << "the names are written by start-up, exactly";
}

TEST(CPrivProfile, ReadBoolAndReadInt)
{
    TempDir dir;
    const std::string path = dir.file("km.ini");
    writeFile(path, "[F]\n"
                    "t1=TRUE\nt2=true\nt3=1\nt4=+1\nt5=1abc\nt6=tRuE\n"
                    "f1=2\nf2=yes\nf3=FALSE\nf4=\nf5=00000001\nf6=truetrue\nf7=-1\n"
                    "n1=42\nn2=x\n");
    const Ostrel::CPrivProfile profile(tarvik::utf8ToWide(path));
    for (const wchar_t* key : {L"t1", L"t2", L"t3", L"t4", L"t5", L"t6"}) {
        bool value = false;
        EXPECT_TRUE(profile.ReadBool(L"F", key, value));
        EXPECT_TRUE(value) << tarvik::wideToUtf8(key);
    }
    for (const wchar_t* key : {L"f1", L"f2", L"f3", L"f4", L"f5", L"f6", L"f7", L"missing"}) {
        bool value = true;
        EXPECT_TRUE(profile.ReadBool(L"F", key, value));
        EXPECT_FALSE(value) << tarvik::wideToUtf8(key);
    }
    int n = 0;
    EXPECT_TRUE(profile.ReadInt(L"F", L"n1", n, 7));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(profile.ReadInt(L"F", L"n2", n, 7));
    EXPECT_EQ(n, 0) << "a leading non-digit gives 0, not the default";
    EXPECT_TRUE(profile.ReadInt(L"F", L"missing", n, 7));
    EXPECT_EQ(n, 7);

    const Ostrel::CPrivProfile unset;
    EXPECT_TRUE(unset.ReadInt(L"F", L"n1", n, -3));
    EXPECT_EQ(n, -3) << "an empty path reads nothing";
}

} // namespace
