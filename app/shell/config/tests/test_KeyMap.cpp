#include "ConfigTestSupport.h"
#include "InnerCmd.h"
#include "KeyMap.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

using tarvik::test::RecordedTrace;
using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

class LoadKeyMapTest : public testing::Test {
protected:
    KeyMap load(const std::string& content)
    {
        writeFile(path_, content);
        KeyMap map;
        EXPECT_TRUE(LoadKeyMap(map, tarvik::utf8ToWide(path_), trace_.sink()));
        return map;
    }

    TempDir dir_;
    std::string path_ = dir_.file("km_config.ini");
    RecordedTrace trace_;
};

TEST_F(LoadKeyMapTest, FunctionsByType)
{
    const KeyMap map = load("[HK_Config]\nFunctionNumber=7\n"
                            "[FunDef1]\nname=Home\ntype=1\ncmd=SwitchUtility_HOME\navl=TRUE\n"
                            "[FunDef2]\nname=Nothing\ntype=1\ncmd=switchutility_homepage\n"
                            "[FunDef3]\nname=Keys\ntype=3\ncmd=,11,,10,2E,\ndescpt=ctrl shift del\n"
                            "[FunDef4]\nname=Seven\ntype=7\ncmd=BrightnessUp\n"
                            "[FunDef5]\nname=Four\ntype=4\ncmd=11\n"
                            "[FunDef6]\nname=Prog\ntype=2\ncmd=/usr/bin/xterm\npara=-e top\navl=yes\n"
                            "[FunDef7]\ntype=2\ncmd=BrightnessUp\n");
    ASSERT_EQ(map.kFunDefs.size(), 7u);
    const auto& f = map.kFunDefs;
    EXPECT_EQ(f[0].type, 1);
    EXPECT_EQ(f[0].innerCmd, INNER_CMD_SWITCH_HOME);
    EXPECT_TRUE(f[0].avl);
    EXPECT_EQ(f[1].innerCmd, INNER_CMD_NONE);
    EXPECT_EQ(f[2].vkeys, (std::vector<std::int32_t>{0x11, 0x10, 0x2E}));
    EXPECT_EQ(f[2].descpt, L"ctrl shift del");
    EXPECT_EQ(f[3].type, 0) << "a type above 4 is read as 0";
    EXPECT_EQ(f[3].innerCmd, 0);
    EXPECT_EQ(f[4].type, 4);
    EXPECT_TRUE(f[4].vkeys.empty()) << "only type 3 has keys";
    EXPECT_EQ(f[5].cmd, L"/usr/bin/xterm");
    EXPECT_EQ(f[5].para, L"-e top");
    EXPECT_FALSE(f[5].avl);
    EXPECT_EQ(f[6].innerCmd, 0) << "only type 1 has an inner command";
    EXPECT_EQ(f[6].name, L"");
}

TEST_F(LoadKeyMapTest, AvlFollowsTheBooleanRuleOfReadBool)
{
    const std::pair<const char*, bool> rows[] = {
        {"1", true},   {"TRUE", true},       {"0000001", true}, {"+1", true},     {"1abc", true},
        {"2", false},  {"00000001", false},  {"-1", false},     {"yes", false},   {"truetrue", false},
        {"", false},   {"FALSE", false},
    };
    std::string content = "[HK_Config]\nFunctionNumber=" + std::to_string(std::size(rows)) + "\n";
    for (std::size_t i = 0; i < std::size(rows); ++i)
        content += "[FunDef" + std::to_string(i + 1) + "]\ntype=2\navl=" + rows[i].first + "\n";
    const KeyMap map = load(content);
    ASSERT_EQ(map.kFunDefs.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(map.kFunDefs[i].avl, rows[i].second) << "avl=" << rows[i].first;
}

TEST_F(LoadKeyMapTest, KeySets)
{
    const KeyMap map = load("[HK_Config]\nFunctionNumber=0\nHardButtons=3\nFnSets=2\n"
                            "[KeyDef1-1]\nfunid=2\nscancode=55\nfn=1\ndescpt=F1\n"
                            "[KeyDef1-2]\nfunid=7\nscancode=0x56\n"
                            "[KeyDef1-3]\nscancode=\n"
                            "[KeyDef2-1]\nfunid=5\nscancode=0X1b\nfn=2\n");
    ASSERT_EQ(map.kKeySets.size(), 2u);
    ASSERT_EQ(map.kKeySets[0].size(), 3u);
    ASSERT_EQ(map.kKeySets[1].size(), 3u);
    EXPECT_EQ(map.kKeySets[0][0], (KeyDef{1, 2, 0x55, L"F1"}));
    EXPECT_EQ(map.kKeySets[0][1], (KeyDef{0, 7, 0x56, L""}));
    EXPECT_EQ(map.kKeySets[0][2], (KeyDef{0, 0, 0, L""}));
    EXPECT_EQ(map.kKeySets[1][0], (KeyDef{2, 5, 0x1B, L""}));
    EXPECT_EQ(map.kKeySets[1][2], (KeyDef{}));
}

TEST_F(LoadKeyMapTest, CountsBelowTheirMinimum)
{
    struct Case {
        const char* config;
        std::size_t sets;
        std::size_t keys;
    };
    const Case cases[] = {
        {"FnSets=0\nHardButtons=2\n", 1, 2},
        {"FnSets=-5\nHardButtons=2\n", 1, 2},
        {"FnSets=2\nHardButtons=-3\n", 2, 0},
        {"", 1, 0},
        {"FnSets=abc\nHardButtons=1\n", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        const KeyMap map = load(std::string("[HK_Config]\n") + c.config);
        ASSERT_EQ(map.kKeySets.size(), c.sets);
        for (const auto& set : map.kKeySets)
            EXPECT_EQ(set.size(), c.keys);
        EXPECT_TRUE(map.kFunDefs.empty());
    }
}

TEST_F(LoadKeyMapTest, DamagedCountsAreBoundedAndTraced)
{
    const KeyMap map = load("[HK_Config]\nFunctionNumber=2147483647\nHardButtons=99999999\nFnSets=4294967295\n");
    EXPECT_EQ(map.kFunDefs.size(), static_cast<std::size_t>(kMaxFunctionSections));
    ASSERT_EQ(map.kKeySets.size(), 1u) << "4294967295 reads as -1";
    EXPECT_EQ(map.kKeySets[0].size(), static_cast<std::size_t>(kMaxHardButtons));
    EXPECT_EQ(trace_.lines.size(), 2u);
}

TEST_F(LoadKeyMapTest, TextsAreCutAt511Characters)
{
    const std::string longCmd(600, 'c');
    const KeyMap map = load("[HK_Config]\nFunctionNumber=1\n[FunDef1]\ntype=2\ncmd=" + longCmd + "\n");
    EXPECT_EQ(map.kFunDefs.at(0).cmd, std::wstring(511, L'c'));
}

TEST_F(LoadKeyMapTest, MissingFileKeepsTheTablesAndAReloadReplacesThem)
{
    KeyMap map = load("[HK_Config]\nFunctionNumber=1\nHardButtons=1\n[FunDef1]\nname=A\n[KeyDef1-1]\nfunid=1\n");
    const KeyMap before = map;
    EXPECT_FALSE(LoadKeyMap(map, tarvik::utf8ToWide(dir_.file("absent.ini"))));
    EXPECT_EQ(map, before);

    writeFile(path_, "[HK_Config]\nFunctionNumber=2\n[FunDef2]\nname=B\n");
    EXPECT_TRUE(LoadKeyMap(map, tarvik::utf8ToWide(path_)));
    ASSERT_EQ(map.kFunDefs.size(), 2u);
    EXPECT_EQ(map.kFunDefs[1].name, L"B");
    ASSERT_EQ(map.kKeySets.size(), 1u);
    EXPECT_TRUE(map.kKeySets[0].empty()) << "the old keys are gone";

    KeyMap empty;
    EXPECT_FALSE(LoadKeyMap(empty, L""));
    EXPECT_TRUE(empty.kFunDefs.empty() && empty.kKeySets.empty()) << "empty before the first load";
}

} // namespace
