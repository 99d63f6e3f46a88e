// The power controller's commands and its part of `show`: the state behind the power library.
#include "PowerBoard.h"
#include "ToolCommands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace tarvik::board::tool {

namespace {

constexpr Nominal kNominals[] = {Nominal::V12, Nominal::V24, Nominal::V36, Nominal::V48};
constexpr Threshold kThresholds[] = {Threshold::Startup, Threshold::Shutdown};

std::optional<std::int32_t> parseInt(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<float> parseVolts(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool isPrintableCode(const std::string& code)
{
    if (code.size() > kSmsCodeChars)
        return false;
    for (char c : code) {
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

// The value goes in as given: the library's ranges are not applied, so that pages can be shown the
// odd values a real controller might report.
int setPowerValue(PowerBoard& power, const std::string& name, const std::string& text)
{
    for (const PowerValueName& v : powerValueNames()) {
        if (name != v.name)
            continue;
        const auto value = parseInt(text);
        if (!value)
            return usage("power set: " + name + " takes a whole number");
        power.memory().locked([&](PowerState& s) { valueOf(s, v.value) = *value; });
        return kExitOk;
    }
    for (Nominal n : kNominals) {
        for (Threshold t : kThresholds) {
            if (name != thresholdName(n, t))
                continue;
            const auto volts = parseVolts(text);
            if (!volts)
                return usage("power set: " + name + " takes volts, for example 23.5");
            power.memory().locked([&](PowerState& s) { thresholdOf(s, n, t) = *volts; });
            return kExitOk;
        }
    }
    if (name == "SmsCode") {
        if (!isPrintableCode(text))
            return usage("power set: SmsCode takes up to 8 printable characters");
        power.memory().locked([&](PowerState& s) {
            std::memset(s.smsCode, 0, sizeof s.smsCode);
            std::memcpy(s.smsCode, text.data(), text.size());
        });
        return kExitOk;
    }
    return usage("power set: unknown name " + name);
}

int power(Board*, const std::string& dir, const std::vector<std::string>& args)
{
    if (args.empty())
        return usage("power: expected set NAME VALUE, emergency or reset");
    auto opened = PowerBoard::open(dir);
    if (!opened)
        return fail(opened.error());
    PowerBoard& p = **opened;
    if (!p.repairNote().empty())
        std::cerr << "tarvik-board: " << p.repairNote() << "\n";
    if (args[0] == "set" && args.size() == 3)
        return setPowerValue(p, args[1], args[2]);
    if (args[0] == "emergency" && args.size() == 1) {
        p.pressEmergencyKey();
        return kExitOk;
    }
    if (args[0] == "reset" && args.size() == 1) {
        p.reset();
        return kExitOk;
    }
    return usage("power: expected set NAME VALUE, emergency or reset");
}

std::string utcTime(std::int64_t when)
{
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

void showPower(Board& board, std::ostream& out)
{
    out << "Power controller (" << PowerState::kFileName << ")\n";
    auto opened = PowerBoard::open(board.dir());
    if (!opened) {
        out << "  " << opened.error() << "\n";
        return;
    }
    PowerBoard& p = **opened;
    if (!p.repairNote().empty())
        out << "  " << p.repairNote() << "\n";
    const PowerState s = p.memory().locked([](PowerState& st) { return st; });
    auto row = [&](const std::string& name, const std::string& value, const std::string& help) {
        out << "  " << std::left << std::setw(22) << name << std::setw(12) << value << help << "\n";
    };
    for (const PowerValueName& v : powerValueNames())
        row(v.name, std::to_string(valueOf(s, v.value)), v.help);
    for (Nominal n : kNominals) {
        for (Threshold t : kThresholds) {
            std::ostringstream volts;
            volts << std::fixed << std::setprecision(1) << thresholdOf(s, n, t) << " V";
            row(thresholdName(n, t), volts.str(), t == Threshold::Startup ? "start-up threshold" : "shut-down threshold");
        }
    }
    const std::string code(s.smsCode, strnlen(s.smsCode, kSmsCodeChars));
    row("SmsCode", code.empty() ? "(none)" : code, "SMS wake code");
    const auto high = p.highVoltagePowerBoard();
    row("PowerBoard", high ? (*high ? "high" : "low") : "(unknown)", "RQ63 power board, from the profile");
    const auto battery = p.vehicleBatteryMillivolts();
    row("VehicleBattery", battery ? std::to_string(*battery) + " mV" : "(unreadable)",
        "the vehicle's BatteryVoltage");
    out << "  Watchdog expiries forced: " << s.watchdogExpiries;
    if (s.watchdogExpiries)
        out << ", last " << utcTime(s.lastWatchdogExpiry);
    out << "\n  Emergency key presses: " << s.emergencyPresses << "\n";
}

} // namespace

const std::vector<Command>& powerCommands()
{
    static const std::vector<Command> commands = {
        {"power",
         "power set NAME VALUE     (AccLine, UpsCapacity, Brightness, Startup24V, SmsCode, ...; see README)\n"
         "power emergency          (the emergency key: latches the emergency event)\n"
         "power reset              (the power controller's factory values)",
         true, power},
    };
    return commands;
}

const std::vector<ShowSection>& powerShowSections()
{
    static const std::vector<ShowSection> sections = {showPower};
    return sections;
}

} // namespace tarvik::board::tool
