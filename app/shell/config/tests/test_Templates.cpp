// The eight templates as the build puts them beside the program.

#include "ConfigDefaults.h"
#include "HexText.h"
#include "InnerCmd.h"
#include "KeyMap.h"
#include "PrivateProfile.h"
#include "TextConvert.h"

#include <gtest/gtest.h>

namespace {

const std::string kDir = TARVIK_TEMPLATE_DIR;

std::wstring templatePath(const std::string& name) { return tarvik::utf8ToWide(kDir + "/" + name); }

// Every key the program reads or writes in the settings file.
const std::pair<const wchar_t*, const wchar_t*> kSettingsKeys[] = {
    {L"PROJECT", L"HARD_TYPE"},
    {L"PROJECT", L"WAKEUP_CODE"},
    {L"PROJECT", L"TOP_RETRY_MAX"},
    {L"LOCATION_SENSOR", L"COM_PORT"},
    {L"LOCATION_SENSOR", L"COM_PORT_DESC"},
    {L"LOCATION_SENSOR", L"COM_PORT_TYPE"},
    {L"LOCATION_SENSOR", L"BAUD_RATE"},
    {L"LOCATION_SENSOR", L"RF_RETRY_MAX"},
    {L"LOCATION_SENSOR", L"COM_PORT_INDEX"},
    {L"LOCATION_SENSOR", L"BAUD_RATE_INDEX"},
    {L"LOCATION_SENSOR", L"RF_MODULE"},
    {L"COMMUNICATION", L"COM_PORT"},
    {L"COMMUNICATION", L"COM_PORT_DESC"},
    {L"COMMUNICATION", L"BAUD_RATE"},
    {L"COMMUNICATION", L"WWAN_POWER"},
    {L"COMMUNICATION", L"WLAN_POWER"},
    {L"COMMUNICATION", L"BT_POWER"},
    {L"COMMUNICATION", L"WLAN_MODULE"},
    {L"COMMUNICATION", L"BT_MODULE"},
    {L"COMMUNICATION", L"WLAN_POWER_DELAY"},
    {L"COMMUNICATION", L"SIM_SLOT"},
    {L"COMMUNICATION", L"WWAN_MODULE"},
    {L"VEHICLE_STATUS", L"COM_PORT"},
    {L"VEHICLE_STATUS", L"COM_PORT_DESC"},
    {L"VEHICLE_STATUS", L"BAUD_RATE"},
    {L"VEHICLE_STATUS", L"INTERVAL"},
    {L"VEHICLE_STATUS", L"MAP_URL_PREFIX"},
    {L"DEV_INFO", L"VERSION"},
    {L"SYS_IOCONF", L"COM2_TYPE"},
    {L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"},
    {L"SYS_WATCHDOG", L"IS_ENABLED"},
    {L"LOG", L"CONTENT"},
};

struct SettingsTemplate {
    const char* file;
    const wchar_t* hardType;
};

class SettingsTemplateTest : public testing::TestWithParam<SettingsTemplate> {};

TEST_P(SettingsTemplateTest, HoldsEveryKeyWithWorkingValues)
{
    bool found = false;
    const auto doc = tarvik::loadPrivateProfile(templatePath(GetParam().file), &found);
    ASSERT_TRUE(found);
    for (const auto& [section, key] : kSettingsKeys)
        EXPECT_TRUE(doc.hasValue(section, key)) << tarvik::wideToUtf8(section) << "/" << tarvik::wideToUtf8(key);

    auto text = [&](const wchar_t* s, const wchar_t* k) { return doc.readString(s, k, L"<none>", kProfileTextChars); };
    auto number = [&](const wchar_t* s, const wchar_t* k) { return static_cast<int>(doc.getInt(s, k, -99)); };
    EXPECT_EQ(text(L"PROJECT", L"HARD_TYPE"), GetParam().hardType);
    EXPECT_EQ(ParseHex(text(L"PROJECT", L"WAKEUP_CODE")), 0xA1u) << "the wake-up key toggles the home screen";
    for (const wchar_t* section : {L"LOCATION_SENSOR", L"COMMUNICATION", L"VEHICLE_STATUS"})
        EXPECT_EQ(number(section, L"COM_PORT"), 0) << "start-up looks every port up";
    // The names the virtual board's presets (and the real devices' drivers) give the devices.
    EXPECT_EQ(text(L"LOCATION_SENSOR", L"COM_PORT_DESC"), L"u-blox GNSS Receiver");
    EXPECT_EQ(text(L"COMMUNICATION", L"COM_PORT_DESC"), L"Sierra Wireless WWAN Modem");
    EXPECT_EQ(text(L"VEHICLE_STATUS", L"COM_PORT_DESC"), L"STN1110 J1939 Interpreter");
    EXPECT_EQ(text(L"VEHICLE_STATUS", L"MAP_URL_PREFIX"), kDefaultMapUrlPrefix);
    EXPECT_EQ(number(L"LOCATION_SENSOR", L"BAUD_RATE"), 9600);
    EXPECT_EQ(number(L"LOCATION_SENSOR", L"BAUD_RATE_INDEX"), 1) << "row 1 of the baud-rate list is 9600";
    EXPECT_EQ(number(L"LOCATION_SENSOR", L"COM_PORT_INDEX"), 2) << "row 2 of the port list is COM3";
    EXPECT_EQ(number(L"SYS_EMERGENCY", L"EMERGENCY_ISKEYDOWN"), 0);
    EXPECT_EQ(number(L"SYS_WATCHDOG", L"IS_ENABLED"), 0);
    const std::wstring version = text(L"DEV_INFO", L"VERSION");
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(version.find(L'@'), std::wstring::npos) << "the build fills in the version";
}

INSTANTIATE_TEST_SUITE_P(Models, SettingsTemplateTest,
                         testing::Values(SettingsTemplate{"GX58_default.INI", L"GX58"},
                                         SettingsTemplate{"RQ63_default.INI", L"RQ63_L"},
                                         SettingsTemplate{"RQ81_default.INI", L"RQ81"},
                                         SettingsTemplate{"RQ72_default.INI", L"RQ72"}));

// The programmable-key scan codes of the tray window's tables, in table order.
const std::vector<std::uint32_t> kFiveKeyCodes = {0x55, 0x56, 0x57, 0x6E, 0x12};
const std::vector<std::uint32_t> kNineKeyCodes = {0x55, 0x56, 0x57, 0x6E, 0x12, 0x13, 0x14, 0x15, 0x16,
                                                  0x1B, 0x1E, 0x1F, 0x23, 0x25, 0x26, 0x27, 0x28, 0x29};

struct KeyMapTemplate {
    const char* file;
    const std::vector<std::uint32_t>* codes;
    std::size_t minimumFunctions;
};

class KeyMapTemplateTest : public testing::TestWithParam<KeyMapTemplate> {};

TEST_P(KeyMapTemplateTest, LoadsWithEveryFixedFunctionAndUserSlot)
{
    KeyMap map;
    ASSERT_TRUE(LoadKeyMap(map, templatePath(GetParam().file)));
    ASSERT_GE(map.kFunDefs.size(), GetParam().minimumFunctions);

    const wchar_t* names[] = {L"Open explore", L"Open Tarvik home", L"Open Tarvik System setting",
                              L"Open Tarvik Vehicle Status", L"Open browser with velmora", L"Task Manager",
                              L"Brightness Up", L"Brightness Down", L"Volume Up", L"Volume Down", L"Up Key",
                              L"Down Key", L"Left Key", L"Right Key", L"Enter Key", L"Tab Key", L"Delete Key"};
    for (std::size_t i = 0; i < 17; ++i) {
        const FunDef& f = map.kFunDefs[i];
        SCOPED_TRACE(tarvik::wideToUtf8(names[i]));
        EXPECT_EQ(f.name, names[i]);
        switch (f.type) {
        case FunDef::TYPE_INNER_COMMAND:
            EXPECT_NE(f.innerCmd, INNER_CMD_NONE);
            break;
        case FunDef::TYPE_START_PROGRAM:
            EXPECT_FALSE(f.cmd.empty());
            break;
        case FunDef::TYPE_SEND_KEYS:
            EXPECT_FALSE(f.vkeys.empty());
            break;
        default:
            ADD_FAILURE() << "a fixed function that does nothing: type " << f.type;
        }
    }
    EXPECT_EQ(map.kFunDefs[1].innerCmd, INNER_CMD_SWITCH_HOME);
    EXPECT_EQ(map.kFunDefs[2].innerCmd, INNER_CMD_SWITCH_SYSTEM);
    EXPECT_EQ(map.kFunDefs[3].innerCmd, INNER_CMD_SWITCH_VEHICLE);
    EXPECT_EQ(map.kFunDefs[6].innerCmd, INNER_CMD_BRIGHTNESS_UP);
    EXPECT_EQ(map.kFunDefs[7].innerCmd, INNER_CMD_BRIGHTNESS_DOWN);
    // Windows virtual-key codes: Up, Down, Left, Right, Return, Tab, Delete.
    const std::int32_t keys[] = {0x26, 0x28, 0x25, 0x27, 0x0D, 0x09, 0x2E};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(map.kFunDefs[10 + i].vkeys, std::vector<std::int32_t>{keys[i]}) << i;

    for (std::size_t n = 18; n <= GetParam().minimumFunctions; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(map.kFunDefs[n - 1].type, FunDef::TYPE_START_PROGRAM) << "so that a saved command runs";
        EXPECT_EQ(map.kFunDefs[n - 1].name, L"User Defined Command");
    }

    ASSERT_EQ(map.kKeySets.size(), 1u) << "all keys are in key set 1";
    const std::vector<KeyDef>& keysOfSet = map.kKeySets[0];
    ASSERT_EQ(keysOfSet.size(), GetParam().codes->size());
    for (std::size_t k = 0; k < keysOfSet.size(); ++k) {
        SCOPED_TRACE(k + 1);
        EXPECT_EQ(keysOfSet[k].scancode, (*GetParam().codes)[k]);
        EXPECT_GE(keysOfSet[k].funid, 1);
        EXPECT_LE(keysOfSet[k].funid, static_cast<int>(map.kFunDefs.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Models, KeyMapTemplateTest,
                         testing::Values(KeyMapTemplate{"km_config_GX58.ini", &kFiveKeyCodes, 22},
                                         KeyMapTemplate{"km_config_RQ63.ini", &kFiveKeyCodes, 22},
                                         KeyMapTemplate{"km_config_RQ81.ini", &kNineKeyCodes, 35},
                                         KeyMapTemplate{"km_config_RQ72.ini", &kNineKeyCodes, 35}));

} // namespace
