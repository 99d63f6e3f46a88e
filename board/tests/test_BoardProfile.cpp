#include "BoardProfile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using tarvik::board::BoardProfile;

namespace {

const char kText[] = "# a comment\n"
                     "[firmware]\n"
                     "BIOSVersion = KTA1.06\n"
                     "  ; indented comment\n"
                     "\n"
                     "[devices]\n"
                     "ports = GPS (COM3)\n"
                     "ports = Other (COM4)\n";

TEST(BoardProfile, ReadsValuesAndRepeatedNames)
{
    auto p = BoardProfile::parse(kText, "p.ini");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->get("firmware", "BIOSVersion"), "KTA1.06");
    EXPECT_EQ(p->get("firmware", "biosversion"), std::nullopt) << "names are exact";
    EXPECT_EQ(p->getAll("devices", "ports"), (std::vector<std::string>{"GPS (COM3)", "Other (COM4)"}));
    EXPECT_EQ(p->sectionOf("ports"), "devices");
}

TEST(BoardProfile, EditsKeepCommentsAndOrder)
{
    auto p = BoardProfile::parse(kText, "p.ini");
    ASSERT_TRUE(p);
    p->set("firmware", "BIOSVersion", "KQS1.05");
    p->set("firmware", "SystemSKU", "R81");
    p->add("devices", "modem", "M; COM7");
    p->set("hardware", "WWANFitted", "0");
    EXPECT_EQ(p->remove("devices", "ports"), 2);
    EXPECT_EQ(p->text(), "# a comment\n"
                         "[firmware]\n"
                         "BIOSVersion = KQS1.05\n"
                         "SystemSKU = R81\n"
                         "  ; indented comment\n"
                         "\n"
                         "[devices]\n"
                         "modem = M; COM7\n"
                         "[hardware]\n"
                         "WWANFitted = 0\n");
}

TEST(BoardProfile, DamagedLinesAreReportedWithFileAndLine)
{
    auto p = BoardProfile::parse("[firmware]\nBIOSVersion = X\nthis is not a value\n", "/x/profile.ini");
    ASSERT_FALSE(p);
    EXPECT_EQ(p.error(), "board profile /x/profile.ini:3: damaged (not a value line)");
    EXPECT_FALSE(BoardProfile::parse(std::string("a = b\n\0\x01\x02=\n", 10), "bin"));
}

TEST(BoardProfile, SaveReplacesTheFileWhole)
{
    tarvik::test::TempDir dir;
    auto p = BoardProfile::parse(kText, "p.ini");
    ASSERT_TRUE(p->save(dir.file("profile.ini")));
    auto back = BoardProfile::load(dir.file("profile.ini"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text(), kText);
    EXPECT_FALSE(BoardProfile::load(dir.file("missing.ini")));
}

} // namespace
