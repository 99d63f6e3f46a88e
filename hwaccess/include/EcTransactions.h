#pragma once

#include <cstdint>
#include <functional>

namespace tarvik {
class PortIo;
class Sleeper;
}

namespace tarvik::hwaccess {

// Fixed delays and limits of the EC handshake.
inline constexpr int kStatusReadsPerWait = 100;
inline constexpr unsigned kReadWriteDelayMs = 3;
inline constexpr unsigned kCommandDelayMs = 2;
inline constexpr unsigned kCommandFinalDelayMs = 10;
inline constexpr int kDriverStartAttempts = 11;
inline constexpr unsigned kDriverRetryDelayMs = 2;

// The EC and CMOS transactions over a port driver, with every delay taken from the sleeper.
// A wait that reaches its limit without the awaited status is not an error: the transaction goes
// on as if the status had come, and the caller finds out by reading the effect back.
class EcTransactions {
public:
    EcTransactions(PortIo& ports, Sleeper& sleeper) : ports_(ports), sleeper_(sleeper) {}

    // The data byte (0..255) in a 32-bit variable; if the data read fails, the last status read.
    std::uint32_t readEcByte(std::uint8_t address);
    void writeEcByte(std::uint8_t address, std::uint8_t value);
    // The handshake, then the diagnostic line "CWinIOUtility::SendECCommand:0x%x".
    void sendEcCommand(std::uint8_t command);
    // The handshake alone (the helper's part; the line is written by the library that asked).
    void ecCommandHandshake(std::uint8_t command);
    // 0 when the data port cannot be read.
    std::uint8_t readCmosByte(std::uint8_t index);

private:
    void waitForStatus(std::uint32_t& status, std::uint32_t wanted, unsigned delayMs);

    PortIo& ports_;
    Sleeper& sleeper_;
};

// The use-counted start of the port driver, kept once per library.
class PortAccessCount {
public:
    // Takes one unit; starts the driver (up to 11 attempts, 2 ms apart) when the count is 0.
    bool acquire(PortIo& ports, Sleeper& sleeper);
    // The same, with the driver started by start() (the helper's start request).
    bool acquireWith(const std::function<bool()>& start, Sleeper& sleeper);
    // Gives one unit back; the driver stays started.
    void release();

    int useCount() const { return useCount_; }
    bool started() const { return started_; }

private:
    int useCount_ = 0;
    bool started_ = false;
};

} // namespace tarvik::hwaccess
