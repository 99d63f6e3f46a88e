// tarvik-board wlan and mbn, as a person uses them.
#include "TestSupport.h"

#include <gtest/gtest.h>

using tarvik::test::runCommand;

namespace {

class WirelessCommands : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(tool({"create", dir.path(), "--model", "KTA"}).status, 0);
    }
    tarvik::test::CommandResult tool(std::vector<std::string> args)
    {
        args.insert(args.begin(), TARVIK_BOARD_TOOL);
        if (args[1] != "create")
            args.insert(args.begin() + 1, {"-d", dir.path()});
        return runCommand(args);
    }
    tarvik::test::TempDir dir;
};

} // namespace

TEST_F(WirelessCommands, ListsAndChangesInterfaces)
{
    ASSERT_EQ(tool({"set", "WLANInterfaces", "2"}).status, 0);
    ASSERT_EQ(tool({"wlan", "1", "radio", "off"}).status, 0);
    ASSERT_EQ(tool({"wlan", "1", "state", "7"}).status, 0);
    ASSERT_EQ(tool({"mbn", "sim", "1", "6"}).status, 0);
    ASSERT_EQ(tool({"mbn", "0", "radio", "off"}).status, 0);

    const auto wlan = tool({"wlan"});
    EXPECT_EQ(wlan.status, 0);
    EXPECT_NE(wlan.out.find("WLAN interfaces (2 listed)"), std::string::npos) << wlan.out;
    EXPECT_NE(wlan.out.find("Wireless LAN USB Adapter #2\n     state 7, software radio off"), std::string::npos)
        << wlan.out;
    const auto mbn = tool({"mbn"});
    EXPECT_NE(mbn.out.find("ready state 6, software radio off, hardware radio on"), std::string::npos) << mbn.out;
    EXPECT_NE(tool({"show"}).out.find("Mobile-broadband interfaces (1 listed"), std::string::npos);
}

TEST_F(WirelessCommands, WrongArgumentsAreUsageErrorsAndRefusalsFailures)
{
    struct Row {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{"wlan", "4", "radio", "on"}, 2},  {{"wlan", "0", "radio", "maybe"}, 2}, {{"wlan", "0", "state", "8"}, 2},
        {{"wlan", "0", "colour", "red"}, 2}, {{"mbn", "0", "ready", "9"}, 2},      {{"mbn", "sim", "3", "1"}, 2},
        {{"mbn", "0"}, 2},
        // Well formed, but the board says no.
        {{"mbn", "0", "hw", "off"}, 1},     {{"wlan", "2", "radio", "on"}, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.args));
        const auto result = tool(r.args);
        EXPECT_EQ(result.status, r.status);
        EXPECT_FALSE(result.err.empty());
    }
}
