#include "PowerRules.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarvik::kestrom::rules {

namespace {

enum class Kind {
    Switch,   // any int, nonzero = on
    Range,    // min to max
    OneOf,    // one of `allowed`
    ReadOnly, // an input of the controller: no setter
};

struct Rule {
    PowerValue value;
    Kind kind;
    std::int32_t min;
    std::int32_t max;
    std::vector<std::int32_t> allowed;
    const char* text;
};

const std::vector<Rule>& ruleTable()
{
    static const std::vector<Rule> rules = {
        {PowerValue::AccLine, Kind::ReadOnly, 0, 0, {}, "read only"},
        {PowerValue::AccDetect, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::AccSenseMode, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::PowerButton, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::ExternalPower, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::InputVoltage, Kind::OneOf, 0, 0, {12, 24, 36, 48, 9}, "12, 24, 36, 48 or 9 (wide range)"},
        {PowerValue::PowerOnDelayEnabled, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::PowerOffDelayEnabled, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::PowerOnDelay, Kind::Range, 1, 8, {}, "1 to 8"},
        {PowerValue::PowerOffDelay, Kind::Range, 1, 8, {}, "1 to 8"},
        // COM numbers as the system numbers serial ports.
        {PowerValue::GsmSerialPort, Kind::Range, 1, 256, {}, "1 to 256"},
        {PowerValue::GsmBaudRate, Kind::OneOf, 0, 0,
         {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600},
         "a standard rate from 1200 to 921600"},
        {PowerValue::WakeOnSms, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::SmsStoreReady, Kind::ReadOnly, 0, 0, {}, "read only"},
        {PowerValue::WakeOnRtc, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::RtcHour, Kind::Range, 0, 23, {}, "0 to 23"},
        {PowerValue::RtcMinute, Kind::Range, 0, 59, {}, "0 to 59"},
        {PowerValue::RtcSecond, Kind::Range, 0, 59, {}, "0 to 59"},
        {PowerValue::Watchdog, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::WatchdogTimeout, Kind::Range, 0, 255, {}, "0 to 255"},
        {PowerValue::Brightness, Kind::Range, 0, 100, {}, "0 to 100"},
        {PowerValue::AutoDimming, Kind::Switch, 0, 0, {}, "0 or nonzero"},
        {PowerValue::Com1Voltage, Kind::OneOf, 0, 0, {0, 5, 12}, "0, 5 or 12"},
        {PowerValue::Com2Type, Kind::OneOf, 0, 0, {1, 2, 3}, "1 (RS-232), 2 (RS-422) or 3 (RS-485)"},
        {PowerValue::UpsCapacity, Kind::ReadOnly, 0, 0, {}, "read only"},
        {PowerValue::EmergencyLatch, Kind::ReadOnly, 0, 0, {}, "read only"},
    };
    return rules;
}

const Rule* findRule(PowerValue value)
{
    const auto& rules = ruleTable();
    const auto it = std::find_if(rules.begin(), rules.end(), [&](const Rule& r) { return r.value == value; });
    return it == rules.end() ? nullptr : &*it;
}

// The voltage dialogs' columns, volts: start-up low, high, shut-down low, high.
constexpr VoltRange kStartup[board::kNominalCount] = {{11.5f, 12.5f}, {23.0f, 25.0f}, {35.0f, 37.0f}, {46.5f, 48.5f}};
constexpr VoltRange kShutdown[board::kNominalCount] = {{10.5f, 11.5f}, {21.0f, 23.0f}, {33.0f, 35.0f}, {44.5f, 46.5f}};

// The dialogs compute a threshold as tenths * 0.1 in double precision and pass it as float, so a
// range end may arrive a rounding step away from its exact value.
constexpr float kVoltTolerance = 0.001f;

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

} // namespace

std::optional<std::int32_t> checkValue(PowerValue value, std::int64_t requested)
{
    const Rule* rule = findRule(value);
    if (!rule)
        return std::nullopt;
    switch (rule->kind) {
    case Kind::Switch:
        return requested != 0 ? 1 : 0;
    case Kind::Range:
        if (requested < rule->min || requested > rule->max)
            return std::nullopt;
        return static_cast<std::int32_t>(requested);
    case Kind::OneOf:
        if (std::find(rule->allowed.begin(), rule->allowed.end(), requested) == rule->allowed.end())
            return std::nullopt;
        return static_cast<std::int32_t>(requested);
    case Kind::ReadOnly:
        return std::nullopt;
    }
    return std::nullopt;
}

const char* allowedValues(PowerValue value)
{
    const Rule* rule = findRule(value);
    return rule ? rule->text : "nothing";
}

VoltRange thresholdRange(Nominal nominal, Threshold threshold)
{
    const auto n = static_cast<std::size_t>(nominal);
    return threshold == Threshold::Startup ? kStartup[n] : kShutdown[n];
}

bool acceptsThreshold(Nominal nominal, Threshold threshold, float volts)
{
    if (!std::isfinite(volts))
        return false;
    const VoltRange r = thresholdRange(nominal, threshold);
    return volts >= r.low - kVoltTolerance && volts <= r.high + kVoltTolerance;
}

bool isValidSmsCode(const char* code)
{
    if (!code)
        return false;
    for (std::size_t i = 0; i < board::kSmsCodeChars; ++i) {
        if (!isHexDigit(code[i]))
            return false;
    }
    return code[board::kSmsCodeChars] == '\0';
}

bool isValidWakeTime(WakeTime time) { return time.hour <= 23 && time.minute <= 59 && time.second <= 59; }

} // namespace tarvik::kestrom::rules
