#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik::board {
struct VehicleValues;
}

namespace tarvik::board::j1939 {

struct ParameterGroup;

// Where the simulated chip gets the vehicle's values when it has a frame to print.
class VehicleSource {
public:
    virtual ~VehicleSource() = default;
    virtual VehicleValues current() = 0;
};

// The board's injected interpreter faults, read afresh for every step.
struct InterpreterFaults {
    bool silent = false;    // reads commands, sends nothing
    bool noPrompt = false;  // never sends '>'
    bool garbage = false;   // every byte it sends is noise
    std::string statusLine; // ATMP prints this instead of data and ends monitoring
};

// An STN1110 J1939 interpreter as the host sees it through its serial line, without I/O or
// clocks: bytes in, bytes out, time given by the caller in microseconds.
//
// ELM327 conventions: commands are case-insensitive and may contain spaces; the chip echoes what
// it receives (ATE0 stops that), ends lines with CR (and LF after ATL1), and shows it is ready with
// a blank line and '>'. A CR alone repeats the last command. ATMP<pgn> monitors one parameter group:
// every broadcast of it is printed as a line ("priority PGN source data...", headers on) until any
// received character stops it. Unknown commands get "?".
class Stn1110Simulator {
public:
    static constexpr const char* kIdentity = "ELM327 v1.3a";
    static constexpr const char* kStnIdentity = "STN1110 v4.2.0";
    // ELM327 keeps this many characters of a command line; longer lines are answered "?".
    static constexpr std::size_t kMaxCommandLength = 64;

    // The seed places each group's broadcasts within its period, as the controllers of a real bus
    // started at unrelated moments.
    explicit Stn1110Simulator(VehicleSource& vehicle, std::uint64_t phaseSeed = 0);

    // Bytes from the host at time nowUs; returns the bytes the chip sends in reply.
    std::string receive(std::string_view bytes, std::int64_t nowUs, const InterpreterFaults& faults);
    // Data lines due by nowUs while monitoring.
    std::string tick(std::int64_t nowUs, const InterpreterFaults& faults);
    // The chip could not send as fast as the bus talks: monitoring ends with "BUFFER FULL".
    std::string bufferFull(const InterpreterFaults& faults);

    // When tick() next has a line to print; nothing while not monitoring.
    std::optional<std::int64_t> nextDueUs() const;
    bool monitoring() const { return monitored_ != nullptr; }

    // Divides every broadcast period (1 = as on a real bus), down to 10 ms at the shortest.
    void setBroadcastDivisor(int divisor);

private:
    struct Settings {
        bool echo = true;
        bool linefeeds = false;
        bool headers = false;
        bool spaces = true;
        bool autoFormat = true;
        char protocol = '0';
        int monitorMode = 0;
    };

    std::string runCommand(const std::string& command, std::int64_t nowUs, const InterpreterFaults& faults);
    std::string startMonitoring(std::uint32_t pgn, std::int64_t nowUs, const InterpreterFaults& faults);
    std::string dataLine(const ParameterGroup& group);
    std::string promptText() const;
    std::string eol() const { return settings_.linefeeds ? "\r\n" : "\r"; }
    std::int64_t periodUs(const ParameterGroup& group) const;
    std::int64_t phaseUs(const ParameterGroup& group) const;
    std::string filter(std::string out, const InterpreterFaults& faults);

    VehicleSource& vehicle_;
    std::uint64_t phaseSeed_;
    Settings settings_;
    std::string line_;
    bool lineTooLong_ = false;
    std::string lastCommand_;
    const ParameterGroup* monitored_ = nullptr;
    std::int64_t nextDueUs_ = 0;
    int divisor_ = 1;
    std::uint32_t noise_ = 0x2545F491u;
};

} // namespace tarvik::board::j1939
