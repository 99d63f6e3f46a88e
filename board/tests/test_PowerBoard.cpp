// The board's power controller: its state file, what it takes from the profile, and the tool's
// power commands.
#include "Board.h"
#include "PowerBoard.h"
#include "TestSupport.h"

#include <future>
#include <set>
#include <gtest/gtest.h>

using namespace tarvik::test;
using namespace tarvik::board;

namespace {

CommandResult tool(std::vector<std::string> args)
{
    args.insert(args.begin(), TARVIK_BOARD_TOOL);
    return runCommand(args);
}

class PowerBoardTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Board::create(dir.path(), "KTM", "low")); }
    std::unique_ptr<PowerBoard> open()
    {
        auto p = PowerBoard::open(dir.path());
        EXPECT_TRUE(p) << p.error();
        return p ? std::move(*p) : nullptr;
    }
    CommandResult on(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-d", dir.path()});
        return tool(args);
    }
    std::int32_t value(PowerValue v) { return open()->memory().locked([&](PowerState& s) { return valueOf(s, v); }); }

    TempDir dir;
};

TEST_F(PowerBoardTest, MadeWithTheFactoryValuesAndKeptAcrossOpenings)
{
    auto first = open();
    EXPECT_TRUE(first->repairNote().empty());
    EXPECT_EQ(value(PowerValue::Brightness), 80);
    first->memory().locked([](PowerState& s) { valueOf(s, PowerValue::Brightness) = 33; });
    first.reset();
    EXPECT_EQ(value(PowerValue::Brightness), 33);
}

TEST_F(PowerBoardTest, CreatingTheBoardAgainResetsThePowerControllerInPlace)
{
    auto held = open();
    held->memory().locked([](PowerState& s) { valueOf(s, PowerValue::InputVoltage) = 48; });
    ASSERT_TRUE(Board::create(dir.path(), "KTA"));
    EXPECT_EQ(held->memory().locked([](PowerState& s) { return valueOf(s, PowerValue::InputVoltage); }), 24)
        << "a process holding the controller must see the reset";
}

TEST_F(PowerBoardTest, ProfileGivesPowerBoardKindAndSmsStoreTime)
{
    auto p = open();
    EXPECT_EQ(p->highVoltagePowerBoard(), false);
    ASSERT_TRUE(Board::open(dir.path()).operator*()->setValue("PowerBoard", "high"));
    EXPECT_EQ(p->highVoltagePowerBoard(), true);
    EXPECT_EQ(p->smsStoreInitMs(), 2000u);
    auto board = std::move(*Board::open(dir.path()));
    ASSERT_TRUE(board->setValue("SmsStoreInitMs", "0"));
    EXPECT_EQ(p->smsStoreInitMs(), 0u);
    EXPECT_FALSE(board->setValue("SmsStoreInitMs", "61000"));
    EXPECT_FALSE(board->setValue("SmsStoreInitMs", "soon"));
    // Edited by hand into something unusable: the default, not a wait of hours.
    std::string profile = readFile(dir.file("profile.ini"));
    profile.replace(profile.find("SmsStoreInitMs = 0"), 18, "SmsStoreInitMs = 99999999");
    writeFile(dir.file("profile.ini"), profile);
    EXPECT_EQ(p->smsStoreInitMs(), 2000u);
}

TEST_F(PowerBoardTest, FirstOpeningsOfManyProcessesAtOnceShareOneFile)
{
    const char* names[] = {"AccLine", "AccDetect", "PowerButton", "InputVoltage",
                           "RtcHour", "Brightness", "Com1Voltage", "UpsCapacity"};
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        TempDir fresh;
        ASSERT_TRUE(Board::create(fresh.path(), "KTA"));
        std::vector<std::future<CommandResult>> runs;
        for (int i = 0; i < 8; ++i)
            runs.push_back(std::async(std::launch::async, [&, i] {
                return tool({"-d", fresh.path(), "power", "set", names[i], std::to_string(1000 + i)});
            }));
        for (auto& r : runs)
            EXPECT_EQ(r.get().status, 0);
        const std::string shown = tool({"-d", fresh.path(), "show"}).out;
        for (int i = 0; i < 8; ++i) {
            const std::string name = names[i];
            EXPECT_NE(shown.find(name + std::string(22 - name.size(), ' ') + std::to_string(1000 + i)), std::string::npos)
                << name << " was written to a file another process replaced\n" << shown;
        }
    }
}

TEST_F(PowerBoardTest, ToolSetsValuesAsGivenAndChecksOnlyTheirForm)
{
    EXPECT_EQ(on({"power", "set", "Brightness", "150"}).status, 0);
    EXPECT_EQ(value(PowerValue::Brightness), 150);
    EXPECT_EQ(on({"power", "set", "AccLine", "0"}).status, 0);
    EXPECT_EQ(value(PowerValue::AccLine), 0);
    EXPECT_EQ(on({"power", "set", "Startup24V", "24.3"}).status, 0);
    EXPECT_FLOAT_EQ(open()->memory().locked([](PowerState& s) { return s.startupVolts[1]; }), 24.3f);
    EXPECT_EQ(on({"power", "set", "SmsCode", "12AB"}).status, 0);
    EXPECT_STREQ(open()->memory().locked([](PowerState& s) { return std::string(s.smsCode); }).c_str(), "12AB");

    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"power", "set", "Brightness", "bright"},
             {"power", "set", "Brightness", "99999999999"},
             {"power", "set", "Startup24V", "nan"},
             {"power", "set", "SmsCode", "123456789"},
             {"power", "set", "Loudness", "3"},
             {"power", "set", "Brightness"},
             {"power"},
             {"power", "explode"}}) {
        SCOPED_TRACE(wrong.back());
        const auto r = on(wrong);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(value(PowerValue::Brightness), 150);

    EXPECT_EQ(on({"power", "emergency"}).status, 0);
    EXPECT_EQ(value(PowerValue::EmergencyLatch), 1);
    EXPECT_EQ(on({"power", "reset"}).status, 0);
    EXPECT_EQ(value(PowerValue::Brightness), 80);
    EXPECT_EQ(value(PowerValue::EmergencyLatch), 0);
}

TEST_F(PowerBoardTest, KestromFailFaultNamesRealMethods)
{
    EXPECT_EQ(on({"fault", "kestrom-fail", "vBC_BrightnessValueSet"}).status, 0);
    EXPECT_EQ(on({"fault", "kestrom-fail", "vBC_BrightnessValueSet,EB_EmergencyButtonReset"}).status, 0);
    EXPECT_EQ(on({"fault", "kestrom-fail", "all"}).status, 0);
    EXPECT_EQ(on({"fault", "kestrom-fail", "vBC_Brightness"}).status, 2);
    EXPECT_EQ(on({"fault", "kestrom-fail", "vBC_BrightnessValueSet,"}).status, 2);
    EXPECT_EQ(on({"fault", "kestrom-fail"}).status, 2);
    EXPECT_NE(on({"fault", "list"}).out.find("kestrom-fail"), std::string::npos);

    auto board = std::move(*Board::open(dir.path()));
    ASSERT_TRUE(board->setFault("kestrom-fail", "vBC_BrightnessValueSet,EB_EmergencyButtonReset"));
    const BoardState s = board->memory().locked([](BoardState& st) { return st; });
    EXPECT_TRUE(kestromMethodFails(s, "vBC_BrightnessValueSet"));
    EXPECT_TRUE(kestromMethodFails(s, "EB_EmergencyButtonReset"));
    EXPECT_FALSE(kestromMethodFails(s, "vBC_BrightnessValueGet"));
    EXPECT_FALSE(kestromMethodFails(s, "vBC_Brightness")) << "a name matches whole, not as a prefix";
    EXPECT_EQ(on({"fault", "clear", "kestrom-fail"}).status, 0);
    const BoardState cleared = board->memory().locked([](BoardState& st) { return st; });
    EXPECT_FALSE(kestromMethodFails(cleared, "vBC_BrightnessValueSet"));
}

TEST_F(PowerBoardTest, KestromFailTakesAnyNumberOfMethods)
{
    const std::string four = "vWU_WakeOnSMSStringCheck,vWU_WakeOnSMSStringInit,vWU_WakeOnSMSStringSet,"
                             "vWU_WakeOnSMSStringGet";
    const auto set = on({"fault", "kestrom-fail", four});
    EXPECT_EQ(set.status, 0) << set.err;
    // Shown as given (in the table's order), not in the form the board keeps it.
    EXPECT_NE(on({"show"}).out.find("  kestrom-fail " + four + "\n"), std::string::npos) << on({"show"}).out;

    auto board = std::move(*Board::open(dir.path()));
    auto failing = [&] {
        const BoardState s = board->memory().locked([](BoardState& st) { return st; });
        std::set<std::string> names;
        for (const std::string& m : kestromMethodNames()) {
            if (kestromMethodFails(s, m.c_str()))
                names.insert(m);
        }
        return names;
    };
    EXPECT_EQ(failing(), (std::set<std::string>{"vWU_WakeOnSMSStringCheck", "vWU_WakeOnSMSStringInit",
                                                 "vWU_WakeOnSMSStringSet", "vWU_WakeOnSMSStringGet"}));

    // Every method, in reverse and one of them twice; setting the fault again replaces the list.
    std::string every;
    for (auto m = kestromMethodNames().rbegin(); m != kestromMethodNames().rend(); ++m)
        every += *m + ",";
    every += kestromMethodNames().front();
    ASSERT_EQ(on({"fault", "kestrom-fail", every}).status, 0);
    const auto& names = kestromMethodNames();
    EXPECT_EQ(failing(), std::set<std::string>(names.begin(), names.end()));
    ASSERT_EQ(on({"fault", "kestrom-fail", "vBC_BrightnessValueSet"}).status, 0);
    EXPECT_EQ(failing(), std::set<std::string>{"vBC_BrightnessValueSet"});
    EXPECT_EQ(on({"fault", "kestrom-fail", four + ",vBC_Brightness"}).status, 2);
    EXPECT_EQ(failing(), std::set<std::string>{"vBC_BrightnessValueSet"}) << "a refused list changes nothing";
}

} // namespace
