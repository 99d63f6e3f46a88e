#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik::board {

// The board's power controller as the power library sees it, kept in the memory-mapped file
// "power.mem" of the board directory (see MappedState). Plain data only: the layout is the file
// format. Change it only together with kVersion.

// The integer values, in the order of PowerState::values. The order is part of the file format:
// add new values before Count.
enum class PowerValue : std::uint8_t {
    AccLine,              // ignition line from the vehicle, 0/1 (an input: the library only reads it)
    AccDetect,            // wake and follow the ACC line (GX58/RQ63), 0/1
    AccSenseMode,         // ACC sensor mode (RQ81/RQ72), 0/1
    PowerButton,          // power button enabled, 0/1
    ExternalPower,        // started by external power, 0/1
    InputVoltage,         // nominal input 12, 24, 36, 48; 9 = wide range
    PowerOnDelayEnabled,  // 0/1
    PowerOffDelayEnabled, // 0/1
    PowerOnDelay,         // code 1-8
    PowerOffDelay,        // code 1-8
    GsmSerialPort,        // COM number of the modem the SMS wake listens on
    GsmBaudRate,
    WakeOnSms,            // 0/1
    SmsStoreReady,        // 1 once the SMS code store has been initialised
    WakeOnRtc,            // 0/1
    RtcHour,
    RtcMinute,
    RtcSecond,
    Watchdog,             // 0/1
    WatchdogTimeout,      // byte: seconds - 1
    Brightness,           // 0-100
    AutoDimming,          // 0/1
    Com1Voltage,          // volts on the COM1 supply pin: 0, 5, 12
    Com2Type,             // 1 RS-232, 2 RS-422, 3 RS-485
    UpsCapacity,          // percent (an input)
    EmergencyLatch,       // 1 after the emergency key, until the library resets it
    Count
};
inline constexpr std::size_t kPowerValueCount = static_cast<std::size_t>(PowerValue::Count);

// The nominal input voltages that have start-up and shut-down thresholds.
enum class Nominal : std::uint8_t { V12, V24, V36, V48, Count };
inline constexpr std::size_t kNominalCount = static_cast<std::size_t>(Nominal::Count);
inline constexpr int kNominalVolts[kNominalCount] = {12, 24, 36, 48};

enum class Threshold : std::uint8_t { Startup, Shutdown };

// 8 characters and the terminator; the rest stays zero.
inline constexpr std::size_t kSmsCodeChars = 8;
inline constexpr std::size_t kSmsCodeSize = 12;

struct PowerState {
    static constexpr char kMagic[8] = {'T', 'V', 'K', 'P', 'O', 'W', 'E', 'R'};
    static constexpr std::uint32_t kVersion = 1;
    static constexpr const char* kFileName = "power.mem";
    // Written last when the file is filled with its defaults, so that a file cut short between
    // its creation and its first values is recognised as damaged.
    static constexpr std::uint32_t kReady = 0x52574f50; // "POWR"

    std::uint32_t ready;
    std::int32_t values[kPowerValueCount];
    float startupVolts[kNominalCount];
    float shutdownVolts[kNominalCount];
    char smsCode[kSmsCodeSize];

    // What the board records for a person to read back with `tarvik-board show`.
    std::uint32_t watchdogExpiries;  // expiries forced through the library
    std::int64_t lastWatchdogExpiry; // seconds since 1970 (UTC), 0 = never
    std::uint32_t emergencyPresses;  // emergency key presses simulated on the board
};

inline std::int32_t& valueOf(PowerState& s, PowerValue v) { return s.values[static_cast<std::size_t>(v)]; }
inline std::int32_t valueOf(const PowerState& s, PowerValue v) { return s.values[static_cast<std::size_t>(v)]; }

inline float& thresholdOf(PowerState& s, Nominal n, Threshold t)
{
    return (t == Threshold::Startup ? s.startupVolts : s.shutdownVolts)[static_cast<std::size_t>(n)];
}
inline float thresholdOf(const PowerState& s, Nominal n, Threshold t)
{
    return (t == Threshold::Startup ? s.startupVolts : s.shutdownVolts)[static_cast<std::size_t>(n)];
}

} // namespace tarvik::board
