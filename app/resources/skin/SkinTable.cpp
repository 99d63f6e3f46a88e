#include "SkinTable.h"

#include <algorithm>

namespace skin {

namespace {

// Sizes shared by the pages.
constexpr int kPageW = 1024;
constexpr int kPageH = 600;
constexpr int kHomeH = 768;
constexpr int kTileW = 190;
constexpr int kTileH = 190;
constexpr int kShortTileH = 134;  // Exit and Home
constexpr int kHomeX = 40;        // every page's Home button
constexpr int kHomeY = 445;

// Hosts.
const char* const kMain = "IDB_MAINBASE";
const char* const kMsg = "IDB_MYMESSAGEBASE_L";
const char* const kDevInfo = "IDB_DEVINFOBASE_L";
const char* const kComm = "IDB_COMMBASE_L";
const char* const kWwan = "IDB_COMM_WWAN_SETTINGBASE_L";
const char* const kAlertPowerOff = "IDB_ALERTWWANPOWEROFF_BASE_L";
const char* const kAlertSmsOn = "IDB_ALERTSMSON_BASE_L";
const char* const kLoc = "IDB_LOCSENSORBASE_L";
const char* const kGps = "IDB_LOCSENSOR_GPSSETTING_BASE_L";
const char* const kVehicle = "IDB_VEHICLEBASE_L";
const char* const kHub = "IDB_SYSTEMSETTINGBASE_L";
const char* const kPower = "IDB_SYSPOWER_BASE_L";
const char* const kV12 = "IDB_SYSPOWERMGT_12VSET_BASE_L";
const char* const kV24 = "IDB_SYSPOWERMGT_24VSET_BASE_L";
const char* const kV36 = "IDB_SYSPOWERMGT_RQ81_36VSET_BASE_L";
const char* const kV48 = "IDB_SYSPOWERMGT_RQ81_48VSET_BASE_L";
const char* const kWatchdog = "IDB_SYSWATCHDOG_BASE_L";
const char* const kWakeup = "IDB_SYSWAKEUP_BASE_L";
const char* const kBright = "IDB_SYSBRIGHTNESS_BASE_L";
const char* const kIo = "IDB_SYSIOCONF_BASE_L";
const char* const kProg = "IDB_SYSPROGRAM_BUTTON_BASE_L";
const char* const kProg9 = "IDB_SYSPROGRAM_BUTTON_RQ81_BASE_L";
const char* const kOther = "IDB_SYSPROGRAM_BUTTON_OTHER_BASE_L";

// Voltage dialogs: 460 wide; 12 V with three rows, the others with five.
constexpr int kVoltW = 460;
constexpr int kVolt12H = 280;
constexpr int kVoltH = 370;
constexpr int kVoltBand = 30;
constexpr int kVoltValueW = 216;
constexpr int kVoltValueH = 38;
constexpr int kVoltSaveW = 150;
constexpr int kVoltSaveH = 64;

Picture page(const char* name, int h = kPageH)
{
    return {name, kPageW, h, Kind::Page, Icon::None, {}, {}, State::Normal, {}, 0, 0};
}
Picture dialog(const char* name, int w, int h) { return {name, w, h, Kind::Dialog, Icon::None, {}, {}, State::Normal, {}, 0, 0}; }
Picture alert(const char* name, int w, int h, const char* title, const char* message)
{
    return {name, w, h, Kind::Alert, Icon::Warning, title, message, State::Warning, {}, 0, 0};
}
Picture on(const char* name, int w, int h, Kind kind, Icon icon, const char* text, const char* detail, State state,
           const char* host, int x, int y)
{
    return {name, w, h, kind, icon, text, detail, state, host, x, y};
}
Picture home(const char* name, const char* host)
{
    return {name, kTileW, kShortTileH, Kind::Tile, Icon::Home, "Home", {}, State::Normal, host, kHomeX, kHomeY};
}
Picture exitTile(const char* name, const char* host, int x, int y)
{
    return {name, kTileW, kShortTileH, Kind::Tile, Icon::Exit, "Exit", {}, State::Normal, host, x, y};
}
// A switch pair: state 0 / state 1 pictures.
void switchPair(std::vector<Picture>& t, const char* off, const char* onName, int w, int h, const char* label,
                const char* host, int x, int y, bool grey = false)
{
    t.push_back(on(off, w, h, Kind::Switch, Icon::None, label, {}, grey ? State::GreyOff : State::Off, host, x, y));
    t.push_back(on(onName, w, h, Kind::Switch, Icon::None, label, {}, grey ? State::GreyOn : State::On, host, x, y));
}
void choicePair(std::vector<Picture>& t, const char* off, const char* onName, int w, int h, const char* text,
                const char* detail, const char* host, int x, int y)
{
    t.push_back(on(off, w, h, Kind::Choice, Icon::None, text, detail, State::Unchecked, host, x, y));
    t.push_back(on(onName, w, h, Kind::Choice, Icon::None, text, detail, State::Checked, host, x, y));
}

// The voltage dialogs' value buttons: the value in tenths names the picture; the value both columns
// hold carries the column's word in the columns the names say.
struct VoltageColumn {
    int nominal;
    const char* host;
    bool startup;
    int values[5];
    int count;
    int sharedValue;      // the value both columns have
    bool sharedHasWord;   // this column's picture of that value carries STARTUP/SHUTDOWN
};
constexpr int kStartX = 8;
constexpr int kShutX = 236;
constexpr int kStartRows[] = {62, 103, 144, 184, 225};
constexpr int kShutRows[] = {62, 103, 144, 185, 225};
const VoltageColumn kVoltageColumns[] = {
    {12, kV12, true, {115, 120, 125}, 3, 115, false},
    {12, kV12, false, {105, 110, 115}, 3, 115, true},
    {24, kV24, true, {230, 235, 240, 245, 250}, 5, 230, true},
    {24, kV24, false, {210, 215, 220, 225, 230}, 5, 230, false},
    {36, kV36, true, {350, 355, 360, 365, 370}, 5, 350, true},
    {36, kV36, false, {330, 335, 340, 345, 350}, 5, 350, true},
    {48, kV48, true, {465, 470, 475, 480, 485}, 5, 465, true},
    {48, kV48, false, {445, 450, 455, 460, 465}, 5, 465, true},
};

void voltageButtons(std::vector<Picture>& t)
{
    for (const VoltageColumn& c : kVoltageColumns) {
        for (int i = 0; i < c.count; ++i) {
            const int v = c.values[i];
            QString base = QString("IDB_%1VSET_%2").arg(c.nominal).arg(v);
            if (v == c.sharedValue && c.sharedHasWord)
                base += c.startup ? "_STARTUP" : "_SHUTDOWN";
            const QString text = QString("%1.%2 V").arg(v / 10).arg(v % 10);
            const int x = c.startup ? kStartX : kShutX;
            const int y = c.startup ? kStartRows[i] : kShutRows[i];
            t.push_back({base + "_UNCHECK_L", kVoltValueW, kVoltValueH, Kind::Choice, Icon::None, text, {},
                         State::Unchecked, c.host, x, y});
            t.push_back({base + "_CHECK_L", kVoltValueW, kVoltValueH, Kind::Choice, Icon::None, text, {},
                         State::Checked, c.host, x, y});
        }
    }
}

std::vector<Picture> buildTable()
{
    std::vector<Picture> t;

    // --- Pages and dialogs (drawn first: the controls are drawn over them) ---
    t.push_back(page(kMain));
    t.push_back(page("IDB_MAINBASE_768", kHomeH));
    t.push_back(dialog(kMsg, 500, 300));
    t.push_back(page(kDevInfo));
    t.push_back(page(kComm));
    t.push_back(dialog(kWwan, 384, 460));
    t.push_back(alert(kAlertPowerOff, 500, 300, "WWAN powered off",
                      "Wake on SMS has been turned off, because it needs the WWAN module powered."));
    t.push_back(alert(kAlertSmsOn, 500, 300, "WWAN powered on",
                      "The WWAN module has been powered on, so that an SMS can wake the computer."));
    t.push_back(page(kLoc));
    t.push_back(page(kGps));
    t.push_back(page(kVehicle));
    t.push_back(page(kHub));
    t.push_back(page(kPower));
    t.push_back(dialog(kV12, kVoltW, kVolt12H));
    t.push_back(dialog(kV24, kVoltW, kVoltH));
    t.push_back(dialog(kV36, kVoltW, kVoltH));
    t.push_back(dialog(kV48, kVoltW, kVoltH));
    t.push_back(page(kWatchdog));
    t.push_back(alert("IDB_SYSWATCHDOG_SIMULATE_ALERT_L", kPageW, kPageH, "Watchdog test",
                      "A watchdog expiry is being simulated. The computer will restart when the watchdog "
                      "timer runs out. Do not switch it off."));
    t.push_back(page(kWakeup));
    t.push_back(page(kBright));
    t.push_back(page(kIo));
    t.push_back(page(kProg));
    t.push_back(page(kProg9));
    t.push_back(page(kOther));

    // --- The program's icon (resource 128) ---
    t.push_back(on("IDR_MAINFRAME", 64, 64, Kind::IconButton, Icon::Antenna, {}, {}, State::Normal, {}, 0, 0));

    // --- Home screen (1024x600; the 1024x768 twin places the same pictures lower) ---
    t.push_back(exitTile("IDB_EXIT_L", kMain, 417, 445));
    t.push_back(on("IDB_DEVINFO_L", kTileW, kTileH, Kind::Tile, Icon::Info, "Device Info", {}, State::Normal, kMain, 37, 208));
    t.push_back(on("IDB_VEHICLE_L", kTileW, kTileH, Kind::Tile, Icon::Car, "Vehicle", {}, State::Normal, kMain, 227, 208));
    t.push_back(on("IDB_COMM_L", kTileW, kTileH, Kind::Tile, Icon::Antenna, "Communication", {}, State::Normal, kMain, 417, 208));
    t.push_back(on("IDB_SYSSETTING_L", kTileW, kTileH, Kind::Tile, Icon::Gear, "Settings", {}, State::Normal, kMain, 607, 208));
    t.push_back(on("IDB_LOCATION_L", kTileW, kTileH, Kind::Tile, Icon::Pin, "Location", {}, State::Normal, kMain, 797, 208));

    // --- Message box ---
    t.push_back(on("IDB_MYMESSAGE_OK_L", 114, 114, Kind::Action, Icon::None, "OK", {}, State::Primary, kMsg, 193, 170));

    // --- Device information ---
    t.push_back(home("IDB_DEVINFO_HOME_L", kDevInfo));

    // --- Communication page ---
    t.push_back(home("IDB_COMM_HOME_L", kComm));
    switchPair(t, "IDB_COMM_WWAN_OFF_L", "IDB_COMM_WWAN_ON_L", 170, 116, "WWAN", kComm, 294, 100);
    t.push_back(on("IDB_COMM_WLAN_L", 170, 116, Kind::IconButton, Icon::Wifi, "WLAN", {}, State::Normal, kComm, 294, 240));
    t.push_back(on("IDB_COMM_BT_L", 170, 116, Kind::IconButton, Icon::Bluetooth, "Bluetooth", {}, State::Normal, kComm, 294, 380));
    t.push_back(on("IDB_COMM_WWAN_SETTING_L", 140, 116, Kind::IconButton, Icon::Gear, "WWAN setup", {}, State::Normal, kComm, 850, 100));
    t.push_back(on("IDB_COMM_WLAN_ANT_INT_L", 140, 116, Kind::IconButton, Icon::AntennaInt, "Internal", "Antenna", State::Normal, kComm, 850, 240));
    t.push_back(on("IDB_COMM_WLAN_ANT_EXT_L", 140, 116, Kind::IconButton, Icon::AntennaExt, "External", "Antenna", State::On, kComm, 850, 240));
    switchPair(t, "IDB_COMM_WLAN_MODULE_OFF_L", "IDB_COMM_WLAN_MODULE_ON_L", 340, 116, "WLAN module", kComm, 480, 240);
    switchPair(t, "IDB_COMM_BT_MODULE_OFF_L", "IDB_COMM_BT_MODULE_ON_L", 340, 116, "Bluetooth module", kComm, 480, 380);
    switchPair(t, "IDB_COMM_WLANBT_MODULE_OFF_L", "IDB_COMM_WLANBT_MODULE_ON_L", 360, 160, "WLAN + Bluetooth", kComm, 463, 288);

    // --- WWAN settings dialog and its alerts ---
    switchPair(t, "IDB_COMM_MODULE_DISABLE_L", "IDB_COMM_MODULE_ENABLE_L", 240, 80, "", kWwan, 5, 35);
    t.push_back(on("IDB_COMM_SLOT1_L", 240, 80, Kind::Segmented, Icon::None, "Slot 1", "Slot 2", State::First, kWwan, 5, 145));
    t.push_back(on("IDB_COMM_SLOT2_L", 240, 80, Kind::Segmented, Icon::None, "Slot 1", "Slot 2", State::Second, kWwan, 5, 145));
    t.push_back(on("IDB_COMM_SLOT1_GRAY_L", 240, 80, Kind::Segmented, Icon::None, "Slot 1", "Slot 2", State::GreyFirst, kWwan, 5, 145));
    t.push_back(on("IDB_COMM_SETTING_OK_L", 110, 100, Kind::Action, Icon::None, "OK", {}, State::Primary, kWwan, 258, 20));
    t.push_back(on("IDB_ALERTWWANPOWEROFF_OK_L", 100, 100, Kind::Action, Icon::None, "OK", {}, State::Primary, kAlertPowerOff, 200, 180));
    t.push_back(on("IDB_ALERTSMSON_OK_L", 100, 100, Kind::Action, Icon::None, "OK", {}, State::Primary, kAlertSmsOn, 200, 180));

    // --- Location and sensors ---
    t.push_back(home("IDB_LOCSENSOR_HOME_L", kLoc));
    t.push_back(on("IDB_LOCSENSOR_GPS_ON_L", 180, 140, Kind::Switch, Icon::None, "GPS", {}, State::On, kLoc, 311, 290));
    t.push_back(on("IDB_LOCSENSOR_GPS_SETTING_L", 220, 140, Kind::IconButton, Icon::Satellite, "GPS settings", {}, State::Normal, kLoc, 503, 290));

    // --- GPS settings ---
    t.push_back(home("IDB_LOCSENSOR_GPSSETTING_HOME_L", kGps));
    switchPair(t, "IDB_LOCSENSOR_GPSSETTING_RF_OFF_L", "IDB_LOCSENSOR_GPSSETTING_RF_ON_L", 420, 90, "GPS radio", kGps, 350, 100);
    t.push_back(on("IDB_LOCSENSOR_GPSSETTING_ANTENNA_SET_L", 90, 90, Kind::IconButton, Icon::AntennaExt, "", {}, State::Normal, kGps, 630, 410));
    t.push_back(on("IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_L", 90, 90, Kind::IconButton, Icon::Satellite, "", {}, State::Normal, kGps, 920, 305));
    t.push_back(on("IDB_LOCSENSOR_GPSSETTING_SATELLITES_SET_DISABLE_L", 90, 90, Kind::IconButton, Icon::Satellite, "", {}, State::Grey, kGps, 920, 305));
    t.push_back(on("IDB_LOCSENSOR_GPSSETTING_LOCATION_SET_L", 90, 90, Kind::IconButton, Icon::Map, "Map", {}, State::Normal, kGps, 920, 410));

    // --- Vehicle status ---
    t.push_back(home("IDB_VEHICLE_HOME_L", kVehicle));
    t.push_back(on("IDB_VEHICLE_LOCATION_L", 190, 134, Kind::IconButton, Icon::Map, "Show on map", {}, State::Normal, kVehicle, 249, 312));

    // --- System settings hub ---
    t.push_back(home("IDB_SYSTEMSETTING_HOME_L", kHub));
    t.push_back(on("IDB_SYS_POWERMGT_L", 330, 95, Kind::WideTile, Icon::Power, "Power", "Ignition and voltage", State::Normal, kHub, 318, 95));
    t.push_back(on("IDB_SYS_POWERMGT_GRAY_L", 330, 95, Kind::WideTile, Icon::Power, "Power", "Not available", State::Grey, kHub, 318, 95));
    t.push_back(on("IDB_SYS_UPS2_L", 330, 95, Kind::WideTile, Icon::Battery, "UPS battery", {}, State::Normal, kHub, 318, 200));
    t.push_back(on("IDB_SYS_IOCONF_L", 330, 95, Kind::WideTile, Icon::Plug, "I/O ports", "COM power and mode", State::Normal, kHub, 318, 305));
    t.push_back(on("IDB_SYS_WATCHDOG_L", 330, 95, Kind::WideTile, Icon::Stopwatch, "Watchdog", "Restart on hang", State::Normal, kHub, 318, 410));
    t.push_back(on("IDB_SYS_WAKEUP_L", 330, 95, Kind::WideTile, Icon::Alarm, "Wake-up", "By time or SMS", State::Normal, kHub, 668, 95));
    t.push_back(on("IDB_SYS_EMERGBUTTON_GRAY_L", 330, 95, Kind::WideTile, Icon::Warning, "Emergency", "Not available", State::Grey, kHub, 668, 200));
    t.push_back(on("IDB_SYS_EMERGBUTTON_EMPTY_L", 330, 95, Kind::WideTile, Icon::Warning, "Emergency", "No event latched", State::Normal, kHub, 668, 200));
    t.push_back(on("IDB_SYS_EMERGBUTTON_CLEAR_L", 330, 95, Kind::WideTile, Icon::Warning, "Emergency", "Latched - tap to clear", State::Warning, kHub, 668, 200));
    t.push_back(on("IDB_SYS_BRIGHTNESS_L", 330, 95, Kind::WideTile, Icon::SunLarge, "Brightness", "Backlight and dimming", State::Normal, kHub, 668, 305));
    t.push_back(on("IDB_SYS_PROGBUTTON_L", 330, 95, Kind::WideTile, Icon::Keypad, "Program keys", "Front-panel functions", State::Normal, kHub, 668, 410));
    t.push_back(on("IDB_SYS_PROGBUTTON_GRAY_L", 330, 95, Kind::WideTile, Icon::Keypad, "Program keys", "Not available", State::Grey, kHub, 668, 410));

    // --- Power management ---
    t.push_back(home("IDB_SYSPOWER_HOME_L", kPower));
    switchPair(t, "IDB_SYSPOWER_ACC_DETECT_DISABLE_L", "IDB_SYSPOWER_ACC_DETECT_ENABLE_L", 340, 70, "ACC detection", kPower, 322, 90);
    switchPair(t, "IDB_SYSPOWER_ACC_SENSOR_MODE_DISABLE_L", "IDB_SYSPOWER_ACC_SENSOR_MODE_ENABLE_L", 340, 70, "ACC sensor mode", kPower, 322, 90);
    switchPair(t, "IDB_SYSPOWER_POWERBTN_DISABLE_L", "IDB_SYSPOWER_POWERBTN_ENABLE_L", 330, 70, "Power button", kPower, 670, 90);
    t.push_back(on("IDB_SYSPOWER_ACC_STATUS_OFF_L", 300, 70, Kind::Indicator, Icon::Key, "Ignition", "OFF", State::Off, kPower, 685, 90));
    t.push_back(on("IDB_SYSPOWER_ACC_STATUS_ON_L", 300, 70, Kind::Indicator, Icon::Key, "Ignition", "ON", State::On, kPower, 685, 90));
    t.push_back(on("IDB_SYSPOWER_ACC_STATUS_OFF_DISABLE_L", 300, 70, Kind::Indicator, Icon::Key, "Ignition", "OFF", State::GreyOff, kPower, 685, 90));
    t.push_back(on("IDB_SYSPOWER_ACC_STATUS_ON_DISABLE_L", 300, 70, Kind::Indicator, Icon::Key, "Ignition", "ON", State::GreyOn, kPower, 685, 90));
    t.push_back(on("IDB_SYSPOWER_INPUTVOLTAGE_DISABLE_T_L", 380, 70, Kind::Caption, Icon::None, "Input voltage", {}, State::Grey, kPower, 322, 175));
    t.push_back(on("IDB_SYSPOWER_INPUTVOLTAGE_ENABLE_T_L", 380, 70, Kind::Caption, Icon::None, "Input voltage", {}, State::Normal, kPower, 322, 175));
    t.push_back(on("IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_DISABLE_T_L", 380, 70, Kind::Caption, Icon::None, "Start / shut-down voltage", {}, State::Grey, kPower, 322, 260));
    t.push_back(on("IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_ENABLE_T_L", 380, 70, Kind::Caption, Icon::None, "Start / shut-down voltage", {}, State::Normal, kPower, 322, 260));
    t.push_back(on("IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_DISABLE_L", 140, 60, Kind::Action, Icon::None, "Set", {}, State::Grey, kPower, 715, 265));
    t.push_back(on("IDB_SYSPOWER_STARTANDSHUT_VOLTAGE_SET_ENABLE_L", 140, 60, Kind::Action, Icon::None, "Set", {}, State::Primary, kPower, 715, 265));
    switchPair(t, "IDB_SYSPOWER_POWERON_DELAY_OFF_ENABLE_L", "IDB_SYSPOWER_POWERON_DELAY_ON_ENABLE_L", 380, 70, "Power-on delay", kPower, 322, 350);
    switchPair(t, "IDB_SYSPOWER_POWERON_DELAY_OFF_DISABLE_L", "IDB_SYSPOWER_POWERON_DELAY_ON_DISABLE_L", 380, 70, "Power-on delay", kPower, 322, 350, true);
    switchPair(t, "IDB_SYSPOWER_POWEROFF_DELAY_OFF_ENABLE_L", "IDB_SYSPOWER_POWEROFF_DELAY_ON_ENABLE_L", 380, 70, "Power-off delay", kPower, 322, 435);
    switchPair(t, "IDB_SYSPOWER_POWEROFF_DELAY_OFF_DISABLE_L", "IDB_SYSPOWER_POWEROFF_DELAY_ON_DISABLE_L", 380, 70, "Power-off delay", kPower, 322, 435, true);

    // --- Start-up / shut-down voltage dialogs ---
    voltageButtons(t);
    const struct {
        const char* save;
        const char* cancel;
        const char* host;
        int y;
    } kSaveRows[] = {
        {"IDB_SYSPOWERMGT_SET_SAVE_L", "IDB_SYSPOWERMGT_SET_CANCEL_L", kV12, 200},
        {"IDB_SYSPOWERMGT_24VSET_SAVE_L", "IDB_SYSPOWERMGT_24VSET_CANCEL_L", kV24, 290},
        {"IDB_SYSPOWERMGT_36VSET_SAVE_L", "IDB_SYSPOWERMGT_36VSET_CANCEL_L", kV36, 290},
        {"IDB_SYSPOWERMGT_48VSET_SAVE_L", "IDB_SYSPOWERMGT_48VSET_CANCEL_L", kV48, 285},
    };
    for (const auto& row : kSaveRows) {
        t.push_back(on(row.save, kVoltSaveW, kVoltSaveH, Kind::Action, Icon::None, "Save", {}, State::Primary, row.host, 50, row.y));
        t.push_back(on(row.cancel, kVoltSaveW, kVoltSaveH, Kind::Action, Icon::None, "Cancel", {}, State::Secondary, row.host, 270, row.y));
    }

    // --- Watchdog ---
    t.push_back(home("IDB_SYSWATCHDOG_HOME_L", kWatchdog));
    switchPair(t, "IDB_SYSWATCHDOG_TIMER_OFF_L", "IDB_SYSWATCHDOG_TIMER_ON_L", 440, 90, "Watchdog timer", kWatchdog, 282, 90);
    t.push_back(on("IDB_SYSWATCHDOG_SIMULATE_L", 240, 90, Kind::Action, Icon::Warning, "RESET", {}, State::Warning, kWatchdog, 520, 410));
    const struct {
        int seconds;
        int x;
        int y;
    } kTimeouts[] = {{1, 520, 195}, {2, 610, 195}, {4, 700, 195}, {8, 790, 195}, {16, 880, 195},
                     {32, 520, 295}, {64, 610, 295}, {128, 700, 295}, {256, 790, 295}};
    for (const auto& timeout : kTimeouts) {
        const QString stem = QString("IDB_SYSWATCHDOG_%1SEC").arg(timeout.seconds);
        const QString value = QString::number(timeout.seconds);
        t.push_back({stem + "_OFF_L", 84, 84, Kind::Choice, Icon::None, value, "sec", State::Unchecked, kWatchdog, timeout.x, timeout.y});
        t.push_back({stem + "_ON_L", 84, 84, Kind::Choice, Icon::None, value, "sec", State::Checked, kWatchdog, timeout.x, timeout.y});
    }

    // --- Wake-up ---
    t.push_back(home("IDB_SYSWAKEUP_HOME_L", kWakeup));
    switchPair(t, "IDB_SYSWAKEUP_RTC_OFF_L", "IDB_SYSWAKEUP_RTC_ON_L", 400, 76, "Wake at a set time", kWakeup, 337, 112);
    t.push_back(on("IDB_SYSWAKEUP_RTC_CONTENT_OFF_L", 520, 72, Kind::TimeCaption, Icon::Alarm, "Wake-up time", {}, State::Grey, kWakeup, 337, 192));
    t.push_back(on("IDB_SYSWAKEUP_RTC_CONTENT_ON_L", 520, 72, Kind::TimeCaption, Icon::Alarm, "Wake-up time", {}, State::Normal, kWakeup, 337, 192));
    t.push_back(on("IDB_SYSWAKEUP_RTC_ON_SAVE_L", 120, 86, Kind::Action, Icon::None, "Save", {}, State::Primary, kWakeup, 870, 185));
    switchPair(t, "IDB_SYSWAKEUP_SMS_OFF_L", "IDB_SYSWAKEUP_SMS_ON_L", 400, 76, "Wake on SMS", kWakeup, 337, 332);
    t.push_back(on("IDB_SYSWAKEUP_SMS_CONTENT_OFF_L", 270, 72, Kind::Caption, Icon::None, "Wake message", "prefix and code", State::Grey, kWakeup, 337, 411));
    t.push_back(on("IDB_SYSWAKEUP_SMS_CONTENT_ON_L", 270, 72, Kind::Caption, Icon::None, "Wake message", "prefix and code", State::Normal, kWakeup, 337, 411));
    t.push_back(on("IDB_SYSWAKEUP_SMS_TEXT_L", 240, 64, Kind::CodeCaption, Icon::None, {}, {}, State::Normal, kWakeup, 620, 415));
    t.push_back(on("IDB_SYSWAKEUP_SMS_TEXT_SAVE_L", 120, 86, Kind::Action, Icon::None, "Save", {}, State::Primary, kWakeup, 870, 400));

    // --- Brightness ---
    t.push_back(home("IDB_SYSBRIGHTNESS_HOME_L", kBright));
    switchPair(t, "IDB_SYSBRIGHTNESS_AUTODIMMING_OFF_L", "IDB_SYSBRIGHTNESS_AUTODIMMING_ON_L", 430, 100, "Automatic dimming", kBright, 357, 198);
    t.push_back(on("IDB_SYSBRIGHTNESS_DOWN", 100, 132, Kind::IconButton, Icon::SunSmall, "Darker", {}, State::Normal, kBright, 356, 313));
    t.push_back(on("IDB_SYSBRIGHTNESS_UP", 100, 132, Kind::IconButton, Icon::SunLarge, "Brighter", {}, State::Normal, kBright, 686, 313));
    t.push_back(on("IDB_SYSBRIGHTNESS_SLIDERBAR", 213, 30, Kind::SliderChannel, Icon::None, {}, {}, State::Normal, kBright, 461, 365));
    t.push_back(on("IDB_SYSBRIGHTNESS_SLIDERTHUMB", 30, 30, Kind::SliderThumb, Icon::None, {}, {}, State::Normal, kBright, 461, 365));

    // --- I/O configuration ---
    t.push_back(home("IDB_SYSIOCONF_HOME_L", kIo));
    choicePair(t, "IDB_SYSIOCONF_COM1_0V_OFF_L", "IDB_SYSIOCONF_COM1_0V_ON_L", 140, 90, "0 V", {}, kIo, 485, 180);
    choicePair(t, "IDB_SYSIOCONF_COM1_5V_OFF_L", "IDB_SYSIOCONF_COM1_5V_ON_L", 140, 90, "5 V", {}, kIo, 640, 180);
    choicePair(t, "IDB_SYSIOCONF_COM1_12V_OFF_L", "IDB_SYSIOCONF_COM1_12V_ON_L", 140, 90, "12 V", {}, kIo, 795, 180);
    t.push_back(on("IDB_SYSIOCONF_COM2_L", 150, 68, Kind::Caption, Icon::None, "COM2 mode", "line standard", State::Normal, kIo, 318, 361));
    choicePair(t, "IDB_SYSIOCONF_COM2_232_OFF_L", "IDB_SYSIOCONF_COM2_232_ON_L", 140, 90, "RS-232", {}, kIo, 485, 350);
    choicePair(t, "IDB_SYSIOCONF_COM2_422_OFF_L", "IDB_SYSIOCONF_COM2_422_ON_L", 140, 90, "RS-422", {}, kIo, 640, 350);
    choicePair(t, "IDB_SYSIOCONF_COM2_485_OFF_L", "IDB_SYSIOCONF_COM2_485_ON_L", 140, 90, "RS-485", {}, kIo, 795, 350);

    // --- Program buttons (five keys; nine keys in two layers) and the user-defined command ---
    t.push_back(exitTile("IDB_SYSPROGRAM_BUTTON_EXIT_L", kProg, kHomeX, kHomeY));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_L", 140, 68, Kind::Action, Icon::Pencil, "Other", {}, State::Secondary, kProg, 850, 101));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_RQ81_L", 44, 38, Kind::Action, Icon::Pencil, {}, {}, State::Secondary, kProg9, 600, 108));
    switchPair(t, "IDB_SYSPROGRAM_BUTTON_FN_OFF_L", "IDB_SYSPROGRAM_BUTTON_FN_ON_L", 260, 77, "Fn layer", kProg9, 700, 435);
    t.push_back(exitTile("IDB_SYSPROGRAM_BUTTON_OTHER_EXIT_L", kOther, kHomeX, kHomeY));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_SAVE_L", 130, 70, Kind::Action, Icon::None, "Save", {}, State::Primary, kOther, 700, 385));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_CANCEL_L", 130, 70, Kind::Action, Icon::None, "Cancel", {}, State::Secondary, kOther, 840, 385));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_FOLDER_L", 150, 86, Kind::Action, Icon::Folder, "Program", {}, State::Secondary, kOther, 337, 213));
    t.push_back(on("IDB_SYSPROGRAM_BUTTON_OTHER_REMARK_L", 150, 86, Kind::Caption, Icon::Pencil, "Remark", {}, State::Normal, kOther, 337, 305));

    // --- Combo box faces, by number ---
    // Each face is drawn over the first place a page puts it.
    const struct {
        int middle;
        const char* host;
        int x;
        int y;
    } kComboPlaces[] = {{266, kGps, 630, 210}, {470, kProg, 400, 101}, {495, kProg9, 380, 103}};
    for (const ComboFace& face : ComboFaces()) {
        const auto* place = std::find_if(std::begin(kComboPlaces), std::end(kComboPlaces),
                                         [&](const auto& p) { return p.middle == face.middle; });
        const char* host = place->host;
        const int x = place->x;
        const int y = place->y;
        t.push_back({QString::number(face.left), face.leftWidth, face.leftHeight, Kind::ComboLeft, Icon::ChevronDown, {},
                     {}, State::Normal, host, x, y});
        t.push_back({QString::number(face.middle), face.middleWidth, face.middleHeight, Kind::ComboMiddle,
                     Icon::ChevronDown, {}, {}, State::Normal, host, x, y});
        t.push_back({QString::number(face.right), face.rightWidth, face.rightHeight, Kind::ComboRight,
                     Icon::ChevronDown, {}, {}, State::Normal, host, x, y});
    }
    return t;
}

std::vector<Decor> buildDecor()
{
    std::vector<Decor> d;
    d.reserve(32); // pageDecor hands out references into it
    auto pageDecor = [&](const char* name, const char* title) -> Decor& {
        Decor decor;
        decor.name = name;
        decor.title = title;
        d.push_back(decor);
        return d.back();
    };

    {
        Decor& m = pageDecor(kMain, "Control Panel");
        m.labels = {{"Choose a section", 42, 84, 20, false, true}};
        Decor& m768 = pageDecor("IDB_MAINBASE_768", "Control Panel");
        m768.labels = m.labels;
    }
    {
        Decor& m = pageDecor(kMsg, "");
        m.band = 14;
    }
    {
        Decor& p = pageDecor(kDevInfo, "Device Information");
        p.panels = {QRect(276, 180, 720, 276)};
        p.watermark = Icon::Info;
        p.watermarkRect = QRect(60, 200, 150, 150);
    }
    {
        Decor& p = pageDecor(kComm, "Communication");
        p.panels = {QRect(282, 88, 726, 140), QRect(282, 232, 726, 282)};
    }
    {
        Decor& p = pageDecor(kWwan, "");
        p.band = 6;
        p.labels = {{"WWAN module", 14, 8, 20, true, false},
                    {"SIM slot", 14, 118, 20, true, false},
                    {"Wake on SMS", 14, 228, 20, true, false},
                    {"Wake code", 14, 338, 20, true, false},
                    {"prefix + 8 hex digits", 14, 362, 18, false, true}};
        p.fields = {QRect(12, 386, 154, 23)};
    }
    {
        Decor& p = pageDecor(kLoc, "Location & Sensors");
        p.panels = {QRect(322, 136, 686, 112), QRect(292, 262, 716, 246)};
        p.labels = {{"Sensors", 324, 100, 22, true, false}};
        p.watermark = Icon::Pin;
        p.watermarkRect = QRect(60, 200, 150, 150);
    }
    {
        Decor& p = pageDecor(kGps, "GPS Settings");
        p.panels = {QRect(334, 88, 452, 114), QRect(334, 200, 404, 202), QRect(748, 294, 264, 214)};
        p.watermark = Icon::Satellite;
        p.watermarkRect = QRect(60, 200, 150, 150);
    }
    {
        Decor& p = pageDecor(kVehicle, "Vehicle Status");
        p.cards = {{QRect(462, 190, 192, 140), "Battery"},
                   {QRect(658, 190, 190, 140), "Tachograph"},
                   {QRect(852, 190, 160, 140), "Engine speed"},
                   {QRect(462, 374, 192, 140), "Fuel used"},
                   {QRect(658, 374, 190, 140), "Fuel temp."},
                   {QRect(852, 374, 160, 140), "Coolant temp."}};
        p.watermark = Icon::Car;
        p.watermarkRect = QRect(60, 170, 160, 160);
    }
    {
        Decor& p = pageDecor(kHub, "System Settings");
        p.watermark = Icon::Gear;
        p.watermarkRect = QRect(70, 190, 140, 140);
    }
    {
        Decor& p = pageDecor(kPower, "Power Management");
        p.panels = {QRect(306, 80, 706, 90), QRect(306, 168, 706, 168), QRect(306, 340, 706, 174)};
        p.watermark = Icon::Power;
        p.watermarkRect = QRect(70, 190, 140, 140);
    }
    const struct {
        const char* name;
        const char* title;
    } kVoltDialogs[] = {{kV12, "12 V battery"}, {kV24, "24 V battery"}, {kV36, "36 V battery"}, {kV48, "48 V battery"}};
    for (const auto& v : kVoltDialogs) {
        Decor& p = pageDecor(v.name, v.title);
        p.band = kVoltBand;
        p.labels = {{"Start-up at", 12, 36, 20, true, false}, {"Shut down at", 240, 36, 20, true, false}};
    }
    {
        Decor& p = pageDecor(kWatchdog, "Watchdog");
        p.panels = {QRect(266, 80, 742, 104), QRect(266, 188, 742, 200), QRect(266, 396, 742, 118)};
        p.labels = {{"Timeout", 290, 206, 22, true, false},
                    {"seconds until", 290, 236, 18, false, true},
                    {"the restart", 290, 258, 18, false, true},
                    {"Test", 290, 420, 22, true, false},
                    {"force an expiry", 290, 450, 18, false, true}};
        p.watermark = Icon::Stopwatch;
        p.watermarkRect = QRect(60, 200, 150, 150);
    }
    {
        Decor& p = pageDecor(kWakeup, "Wake-up");
        p.panels = {QRect(322, 100, 686, 178), QRect(322, 320, 686, 190)};
        p.watermark = Icon::Alarm;
        p.watermarkRect = QRect(70, 190, 140, 140);
    }
    {
        Decor& p = pageDecor(kBright, "Brightness");
        p.panels = {QRect(340, 186, 464, 268)};
        p.labels = {{"Backlight", 461, 320, 22, true, false}};
        p.watermark = Icon::SunLarge;
        p.watermarkRect = QRect(70, 190, 140, 140);
    }
    {
        Decor& p = pageDecor(kIo, "I/O Ports");
        p.panels = {QRect(302, 166, 646, 120), QRect(302, 336, 646, 120)};
        p.labels = {{"COM1 power", 326, 196, 22, true, false}, {"supply on pin 9", 326, 226, 18, false, true}};
        p.watermark = Icon::Plug;
        p.watermarkRect = QRect(70, 190, 140, 140);
    }
    {
        Decor& p = pageDecor(kProg, "Program Keys");
        p.panels = {QRect(282, 88, 726, 426)};
        const int rows[] = {101, 184, 267, 350, 437};
        for (int k = 0; k < 5; ++k)
            p.labels.push_back({QString("Key %1").arg(k + 1), 300, rows[k] + 20, 22, true, false});
    }
    {
        Decor& p = pageDecor(kProg9, "Program Keys");
        p.panels = {QRect(282, 90, 726, 424)};
        const int rows[] = {103, 190, 279, 365, 452};
        for (int k = 0; k < 5; ++k)
            p.labels.push_back({QString("P%1").arg(k + 1), 318, rows[k] + 12, 22, true, false});
        for (int k = 0; k < 4; ++k)
            p.labels.push_back({QString("P%1").arg(k + 6), 656, rows[k] + 12, 22, true, false});
    }
    {
        Decor& p = pageDecor(kOther, "User Defined Command");
        p.panels = {QRect(320, 196, 688, 276)};
        p.fields = {QRect(494, 242, 452, 32), QRect(494, 326, 452, 32)};
        p.labels = {{"The program this key starts, and a remark", 42, 84, 20, false, true}};
    }
    return d;
}

} // namespace

const std::vector<ComboFace>& ComboFaces()
{
    static const std::vector<ComboFace> faces = {
        {267, 266, 268, 4, 82, 3, 80, 81, 81, false},
        {471, 470, 472, 4, 417, 4, 66, 66, 66, true},
        {496, 495, 497, 5, 211, 3, 48, 48, 48, true},
    };
    return faces;
}

const std::vector<Picture>& AllPictures()
{
    static const std::vector<Picture> table = buildTable();
    return table;
}

const Decor* FindDecor(const QString& name)
{
    static const std::vector<Decor> decor = buildDecor();
    const auto it = std::find_if(decor.begin(), decor.end(), [&](const Decor& d) { return d.name == name; });
    return it == decor.end() ? nullptr : &*it;
}

} // namespace skin
