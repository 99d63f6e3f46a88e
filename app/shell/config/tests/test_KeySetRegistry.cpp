#include "ConfigTestSupport.h"
#include "KeySetRegistry.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <filesystem>
#include <gtest/gtest.h>

using tarvik::test::readFile;
using tarvik::test::sourcesFrom;
using tarvik::test::TempDir;
using tarvik::test::writeFile;

namespace {

KeyMap twoSetsOfTwoKeys()
{
    KeyMap map;
    map.kKeySets = {{KeyDef{0, 2, 0x55, L""}, KeyDef{0, 18, 0x56, L""}}, {KeyDef{1, 7, 0x1B, L""}, KeyDef{}}};
    return map;
}

TEST(UserRegistryPath, UnderTheConfigFolder)
{
    EXPECT_EQ(UserRegistryPath(sourcesFrom({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}})),
              L"/cfg/tarvik/user-registry.ini");
    EXPECT_EQ(UserRegistryPath(sourcesFrom({{"HOME", "/home/u"}})), L"/home/u/.config/tarvik/user-registry.ini");
    EXPECT_EQ(UserRegistryPath(sourcesFrom({{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u/"}})),
              L"/home/u/.config/tarvik/user-registry.ini");
}

TEST(SeedKeySetRegistry, WritesEveryValueOfEveryKeySet)
{
    TempDir dir;
    const std::string path = dir.file("config/tarvik/user-registry.ini");
    ASSERT_TRUE(SeedKeySetRegistry(twoSetsOfTwoKeys(), tarvik::utf8ToWide(path)));
    EXPECT_EQ(readFile(path), "[SOFTWARE\\Tarvik\\KeySet0]\r\n"
                              "KeyDef0=dword:00000002\r\n"
                              "UserCmd0=\"\"\r\n"
                              "UserCmdDesc0=\"User Defined Command\"\r\n"
                              "KeyDef1=dword:00000012\r\n"
                              "UserCmd1=\"\"\r\n"
                              "UserCmdDesc1=\"User Defined Command\"\r\n"
                              "[SOFTWARE\\Tarvik\\KeySet1]\r\n"
                              "KeyDef0=dword:00000007\r\n"
                              "UserCmd0=\"\"\r\n"
                              "UserCmdDesc0=\"User Defined Command\"\r\n"
                              "KeyDef1=dword:00000000\r\n"
                              "UserCmd1=\"\"\r\n"
                              "UserCmdDesc1=\"User Defined Command\"\r\n");
}

TEST(SeedKeySetRegistry, ExistingValuesAreLeftAlone)
{
    TempDir dir;
    const std::string path = dir.file("user-registry.ini");
    const std::string longCommand(700, 'x');
    const std::string before = "[SOFTWARE\\Tarvik\\KeySet0]\n"
                               "KeyDef0=dword:00000009\n"
                               "UserCmd0=\"" + longCommand + "\"\n"
                               "UserCmdDesc1=\"mine\"\n"
                               "[SOFTWARE\\Tarvik\\KeySet1]\n"
                               "KeyDef0=not a dword\n"
                               "KeyDef1=dword:00000004\n"
                               "UserCmd0=\"\"\nUserCmd1=\"\"\nUserCmdDesc0=\"\"\nUserCmdDesc1=\"\"\n";
    writeFile(path, before);
    ASSERT_TRUE(SeedKeySetRegistry(twoSetsOfTwoKeys(), tarvik::utf8ToWide(path)));
    EXPECT_EQ(readFile(path), "[SOFTWARE\\Tarvik\\KeySet0]\n"
                              "KeyDef0=dword:00000009\n"
                              "UserCmd0=\"" + longCommand + "\"\n"
                              "UserCmdDesc1=\"mine\"\n"
                              "UserCmdDesc0=\"User Defined Command\"\n"
                              "KeyDef1=dword:00000012\n"
                              "UserCmd1=\"\"\n"
                              "[SOFTWARE\\Tarvik\\KeySet1]\n"
                              "KeyDef0=dword:00000007\n"
                              "KeyDef1=dword:00000004\n"
                              "UserCmd0=\"\"\nUserCmd1=\"\"\nUserCmdDesc0=\"\"\nUserCmdDesc1=\"\"\n");

    // A second seeding finds nothing missing and leaves the file as it is.
    const auto stamp = std::filesystem::last_write_time(path);
    const std::string seeded = readFile(path);
    ASSERT_TRUE(SeedKeySetRegistry(twoSetsOfTwoKeys(), tarvik::utf8ToWide(path)));
    EXPECT_EQ(readFile(path), seeded);
    EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
}

TEST(SeedKeySetRegistry, UnwritableStoreReportsFailure)
{
    TempDir dir;
    writeFile(dir.file("blocked"), "a file where the folder should be");
    EXPECT_FALSE(SeedKeySetRegistry(twoSetsOfTwoKeys(), tarvik::utf8ToWide(dir.file("blocked/tarvik/user-registry.ini"))));
}

} // namespace
