#include "PowerBoard.h"

#include "Board.h"
#include "BoardProfile.h"
#include "VehicleModel.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace tarvik::board {

namespace {

constexpr unsigned kDefaultSmsStoreInitMs = 2000;

// The factory's thresholds per nominal input, volts: start-up, shut-down.
constexpr float kFactoryStartup[kNominalCount] = {12.0f, 24.0f, 36.0f, 47.5f};
constexpr float kFactoryShutdown[kNominalCount] = {11.0f, 22.0f, 34.0f, 45.5f};

std::optional<std::string> profileValue(const std::string& dir, const char* section, const char* name)
{
    auto profile = BoardProfile::load(dir + "/" + kProfileFile);
    if (!profile)
        return std::nullopt;
    return profile->get(section, name);
}

} // namespace

PowerBoard::PowerBoard(std::string dir, std::unique_ptr<MappedState<PowerState>> memory, std::string repairNote)
    : dir_(std::move(dir)), memory_(std::move(memory)), repairNote_(std::move(repairNote))
{
}

void PowerBoard::setFactoryValues(PowerState& s)
{
    std::memset(&s, 0, sizeof s);
    auto set = [&](PowerValue v, std::int32_t value) { valueOf(s, v) = value; };
    set(PowerValue::AccLine, 1);
    set(PowerValue::AccDetect, 1);
    set(PowerValue::AccSenseMode, 1);
    set(PowerValue::PowerButton, 1);
    set(PowerValue::ExternalPower, 0);
    set(PowerValue::InputVoltage, 24);
    set(PowerValue::PowerOnDelayEnabled, 0);
    set(PowerValue::PowerOffDelayEnabled, 1);
    set(PowerValue::PowerOnDelay, 1);  // 10 s
    set(PowerValue::PowerOffDelay, 3); // 1 min
    set(PowerValue::GsmSerialPort, 2);
    set(PowerValue::GsmBaudRate, 115200);
    set(PowerValue::WakeOnSms, 0);
    set(PowerValue::SmsStoreReady, 0);
    set(PowerValue::WakeOnRtc, 0);
    set(PowerValue::RtcHour, 7);
    set(PowerValue::RtcMinute, 0);
    set(PowerValue::RtcSecond, 0);
    set(PowerValue::Watchdog, 0);
    set(PowerValue::WatchdogTimeout, 31); // 32 s
    set(PowerValue::Brightness, 80);
    set(PowerValue::AutoDimming, 0);
    set(PowerValue::Com1Voltage, 0);
    set(PowerValue::Com2Type, 1);
    set(PowerValue::UpsCapacity, 90);
    set(PowerValue::EmergencyLatch, 0);
    for (std::size_t n = 0; n < kNominalCount; ++n) {
        s.startupVolts[n] = kFactoryStartup[n];
        s.shutdownVolts[n] = kFactoryShutdown[n];
    }
    s.ready = PowerState::kReady;
}

Result<std::unique_ptr<PowerBoard>> PowerBoard::open(const std::string& dir)
{
    using R = Result<std::unique_ptr<PowerBoard>>;
    BoardDirectoryLock lock(dir);
    std::string note;
    auto memory = MappedState<PowerState>::open(dir);
    if (memory) {
        const bool filled = (*memory)->locked([](PowerState& s) { return s.ready == PowerState::kReady; });
        if (!filled) {
            note = "power state file " + (*memory)->path() + " was never filled in";
            memory = Result<std::unique_ptr<MappedState<PowerState>>>::failure(note);
        }
    } else if (memory.error().find("damaged") != std::string::npos) {
        note = memory.error();
    } else if (access((dir + "/" + PowerState::kFileName).c_str(), F_OK) == 0) {
        // There but not usable (permissions): replacing it would hide the cause.
        return R::failure(memory.error());
    }
    if (!memory) {
        memory = MappedState<PowerState>::create(dir);
        if (!memory)
            return R::failure(memory.error());
        (*memory)->locked([](PowerState& s) { setFactoryValues(s); });
        if (!note.empty())
            note += "; replaced by the factory values";
    }
    return std::unique_ptr<PowerBoard>(new PowerBoard(dir, std::move(*memory), note));
}

void PowerBoard::resetIfPresent(const std::string& dir)
{
    const std::string path = dir + "/" + PowerState::kFileName;
    if (access(path.c_str(), F_OK) != 0)
        return;
    auto memory = MappedState<PowerState>::open(dir);
    if (!memory) {
        unlink(path.c_str());
        return;
    }
    (*memory)->locked([](PowerState& s) { setFactoryValues(s); });
}

void PowerBoard::reset()
{
    memory_->locked([](PowerState& s) { setFactoryValues(s); });
}

std::optional<bool> PowerBoard::highVoltagePowerBoard() const
{
    const auto kind = profileValue(dir_, "board", "PowerBoard");
    if (kind == "high")
        return true;
    if (kind == "low")
        return false;
    return std::nullopt;
}

unsigned PowerBoard::smsStoreInitMs() const
{
    const auto text = profileValue(dir_, "power", "SmsStoreInitMs");
    if (!text || text->empty())
        return kDefaultSmsStoreInitMs;
    char* end = nullptr;
    errno = 0;
    const unsigned long ms = std::strtoul(text->c_str(), &end, 10);
    // The profile is checked when set, but a person may have edited the file by hand.
    if (errno != 0 || *end != '\0' || ms > 60000)
        return kDefaultSmsStoreInitMs;
    return static_cast<unsigned>(ms);
}

// The power input and the J1939 interpreter see one battery: the simulated vehicle's.
std::optional<std::int32_t> PowerBoard::vehicleBatteryMillivolts() const
{
    auto mv = board::vehicleBatteryMillivolts(dir_);
    if (!mv)
        return std::nullopt;
    return *mv;
}

void PowerBoard::pressEmergencyKey()
{
    memory_->locked([](PowerState& s) {
        valueOf(s, PowerValue::EmergencyLatch) = 1;
        ++s.emergencyPresses;
    });
}

bool PowerBoard::forceWatchdogExpiry(std::int64_t when)
{
    return memory_->locked([&](PowerState& s) {
        if (valueOf(s, PowerValue::Watchdog) == 0)
            return false;
        ++s.watchdogExpiries;
        s.lastWatchdogExpiry = when;
        return true;
    });
}

const std::vector<PowerValueName>& powerValueNames()
{
    static const std::vector<PowerValueName> names = {
        {PowerValue::AccLine, "AccLine", "ignition (ACC) line from the vehicle, 0/1"},
        {PowerValue::AccDetect, "AccDetect", "ACC detection (wake on ACC), 0/1"},
        {PowerValue::AccSenseMode, "AccSenseMode", "ACC sensor mode, 0/1"},
        {PowerValue::PowerButton, "PowerButton", "power button enabled, 0/1"},
        {PowerValue::ExternalPower, "ExternalPower", "start on external power, 0/1"},
        {PowerValue::InputVoltage, "InputVoltage", "nominal input voltage 12, 24, 36, 48; 9 wide range"},
        {PowerValue::PowerOnDelayEnabled, "PowerOnDelayEnabled", "power-on delay switch, 0/1"},
        {PowerValue::PowerOffDelayEnabled, "PowerOffDelayEnabled", "power-off delay switch, 0/1"},
        {PowerValue::PowerOnDelay, "PowerOnDelay", "power-on delay code 1-8"},
        {PowerValue::PowerOffDelay, "PowerOffDelay", "power-off delay code 1-8"},
        {PowerValue::GsmSerialPort, "GsmSerialPort", "COM number of the modem for SMS wake"},
        {PowerValue::GsmBaudRate, "GsmBaudRate", "baud rate of the modem for SMS wake"},
        {PowerValue::WakeOnSms, "WakeOnSms", "wake on SMS, 0/1"},
        {PowerValue::SmsStoreReady, "SmsStoreReady", "SMS code store initialised, 0/1"},
        {PowerValue::WakeOnRtc, "WakeOnRtc", "wake at a time of day, 0/1"},
        {PowerValue::RtcHour, "RtcHour", "wake time: hour"},
        {PowerValue::RtcMinute, "RtcMinute", "wake time: minute"},
        {PowerValue::RtcSecond, "RtcSecond", "wake time: second"},
        {PowerValue::Watchdog, "Watchdog", "watchdog running, 0/1"},
        {PowerValue::WatchdogTimeout, "WatchdogTimeout", "watchdog timeout byte: seconds - 1"},
        {PowerValue::Brightness, "Brightness", "backlight 0-100"},
        {PowerValue::AutoDimming, "AutoDimming", "automatic dimming, 0/1"},
        {PowerValue::Com1Voltage, "Com1Voltage", "COM1 supply pin: 0, 5 or 12 V"},
        {PowerValue::Com2Type, "Com2Type", "COM2 line mode: 1 RS-232, 2 RS-422, 3 RS-485"},
        {PowerValue::UpsCapacity, "UpsCapacity", "UPS charge in percent"},
        {PowerValue::EmergencyLatch, "EmergencyLatch", "emergency event latched, 0/1"},
    };
    return names;
}

std::string thresholdName(Nominal nominal, Threshold threshold)
{
    return std::string(threshold == Threshold::Startup ? "Startup" : "Shutdown") +
           std::to_string(kNominalVolts[static_cast<std::size_t>(nominal)]) + "V";
}

const std::vector<std::string>& kestromMethodNames()
{
    static const std::vector<std::string> names = {
        "vPM_ACCStatus", "WU_WakeOnACCStatus", "WU_WakeOnACCSwitch",
        "vPM_ACCSenseModeGetting", "vPM_ACCSenseModeSetting",
        "vPM_PowerButtonGetting", "vPM_PowerButtonSetting", "vPM_ExtennalPowerSetting",
        "vPM_InputVoltageGet", "vPM_InputVoltageSet",
        "vPM_PowerOnTimerEnable", "vPM_PowerOnTimerEnableStatus",
        "vPM_PowerOffTimerEnable", "vPM_PowerOffTimerEnableStatus",
        "vPM_PowerOnDelayGet", "vPM_PowerOnDelaySet", "vPM_PowerOffDelayGet", "vPM_PowerOffDelaySet",
        "vPM_12VStartupGet", "vPM_12VStartupSet", "vPM_12VShutdownGet", "vPM_12VShutdownSet",
        "vPM_24VStartupGet", "vPM_24VStartupSet", "vPM_24VShutdownGet", "vPM_24VShutdownSet",
        "vPM_36VStartupGet", "vPM_36VStartupSet", "vPM_36VShutdownGet", "vPM_36VShutdownSet",
        "vPM_48VStartupGet", "vPM_48VStartupSet", "vPM_48VShutdownGet", "vPM_48VShutdownSet",
        "vPM_RQ63PowerBoard", "vPM_GSMSerialPortSet", "vPM_GSMBaudRateSet",
        "vWU_WakeOnSMSStatus", "vWU_WakeOnSMSSwitch",
        "vWU_WakeOnSMSStringCheck", "vWU_WakeOnSMSStringInit",
        "vWU_WakeOnSMSStringSet", "vWU_WakeOnSMSStringGet",
        "vWU_WakeOnRTCStatus", "vWU_WakeOnRTCSwitch", "vWU_WakeOnRTCTimer", "vWU_WakeOnRTCTimerStatus",
        "vTimer_WatchdogTimerSwitch", "vTimer_WatchdogTimerStatus",
        "vTimer_WatchdogTimerGet", "vTimer_WatchdogTimerSet", "vTimer_WatchdogTimerSimulate",
        "vBC_BrightnessValueGet", "vBC_BrightnessValueSet", "vBC_AutoDimmingStatusGet", "vBC_AutoDimmingSwitch",
        "vIO_COM1VoltageGet", "vIO_COM1VoltageSet", "vIO_COM2TypeGet", "vIO_COM2TypeSet",
        "vUPSBatteryCapacity", "EB_EmergencyButtonReset", "vVehicleBatteryVoltage",
    };
    return names;
}

namespace {

// The kestrom-fail list as its fault slot keeps it: "all", or "m:" and one hexadecimal digit per
// four methods of kestromMethodNames() (digit i, bit b: method 4i + b), so that any set of methods
// fits the slot, where their names, typed out, would not (three of them already take 71
// characters). The table's order is thereby part of board.mem: add new methods at its end.
constexpr std::string_view kMethodSetPrefix = "m:";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::size_t kMethodsPerDigit = 4;

// The names of a comma-separated list, empty ones included ("a,,b" has three).
std::vector<std::string> splitList(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::optional<std::size_t> methodIndex(std::string_view method)
{
    const auto& known = kestromMethodNames();
    const auto it = std::find(known.begin(), known.end(), method);
    if (it == known.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - known.begin());
}

bool inMethodSet(std::string_view stored, std::size_t index)
{
    if (stored.substr(0, kMethodSetPrefix.size()) != kMethodSetPrefix)
        return false;
    const std::string_view digits = stored.substr(kMethodSetPrefix.size());
    const std::size_t position = index / kMethodsPerDigit;
    if (position >= digits.size())
        return false;
    const std::size_t digit = kHexDigits.find(digits[position]);
    return digit != std::string_view::npos && ((digit >> (index % kMethodsPerDigit)) & 1) != 0;
}

} // namespace

std::string checkKestromFailArgument(const std::string& arg)
{
    if (arg == "all")
        return {};
    if (arg.empty())
        return "expected a method name, several separated by commas, or 'all'";
    for (const std::string& name : splitList(arg)) {
        if (!methodIndex(name))
            return "'" + name + "' is not a method of the power library (see README)";
    }
    return {};
}

std::string storedKestromFailArgument(const std::string& arg)
{
    if (arg == "all")
        return arg;
    const std::size_t count = kestromMethodNames().size();
    std::vector<unsigned> digits((count + kMethodsPerDigit - 1) / kMethodsPerDigit, 0);
    for (const std::string& name : splitList(arg)) {
        if (const auto index = methodIndex(name))
            digits[*index / kMethodsPerDigit] |= 1u << (*index % kMethodsPerDigit);
    }
    std::string stored(kMethodSetPrefix);
    for (unsigned digit : digits)
        stored += kHexDigits[digit];
    return stored;
}

std::string shownKestromFailArgument(const std::string& stored)
{
    if (stored == "all" || stored.substr(0, kMethodSetPrefix.size()) != kMethodSetPrefix)
        return stored;
    const auto& known = kestromMethodNames();
    std::string shown;
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (inMethodSet(stored, i))
            shown += (shown.empty() ? "" : ",") + known[i];
    }
    return shown;
}

bool kestromMethodFails(const BoardState& state, const char* method)
{
    const FaultSlot* fault = findFault(state, kKestromFailFault);
    if (!fault)
        return false;
    const std::string_view stored(fault->arg, strnlen(fault->arg, kFaultArgSize));
    if (stored == "all")
        return true;
    const auto index = methodIndex(method);
    return index && inMethodSet(stored, *index);
}

} // namespace tarvik::board
