#pragma once

#include <cstdint>

// What a port object keeps of its line and of its time-outs. The member names are those of the
// Windows DCB and COMMTIMEOUTS records the port classes were designed around, so that the values
// read the same in both worlds; only the members the classes use are kept.

// Line settings: the speed and the frame as set_state last asked for them.
struct ComLineSettings {
    std::uint32_t DCBlength = 28; // the Windows record's size, kept as its marker from construction on
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;   // 0 = none
    std::uint8_t StopBits = 0; // 0 = one stop bit
};

// Time-outs in milliseconds. ReadIntervalTimeout = kComMaxDword with both read totals 0 means "a
// read returns at once with what is queued", the only read mode the port classes offer. A write
// gives up after WriteTotalTimeoutMultiplier × length + WriteTotalTimeoutConstant; both 0 means it
// waits until everything is written.
struct ComTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

inline constexpr std::uint32_t kComMaxDword = 0xFFFFFFFFu;

// The time-outs setup gives every port: immediate reads, writes limited to 2 seconds.
inline constexpr std::uint32_t kComWriteTimeoutMs = 2000;

// Driver queue sizes the port classes ask for. Linux fixes a tty's queues itself (the line
// discipline holds 4 KiB, the driver's buffers more before the sender is throttled), so setup only
// records the wish.
inline constexpr std::uint32_t kComQueueBytes = 8192;

// Sides of a purge (PurgeComm flags).
inline constexpr unsigned kPurgeTxAbort = 0x01;
inline constexpr unsigned kPurgeRxAbort = 0x02;
inline constexpr unsigned kPurgeTxClear = 0x04;
inline constexpr unsigned kPurgeRxClear = 0x08;
inline constexpr unsigned kPurgeReceive = kPurgeRxAbort | kPurgeRxClear;  // 0x0A, before a read
inline constexpr unsigned kPurgeTransmit = kPurgeTxAbort | kPurgeTxClear; // 0x05, before a write
inline constexpr unsigned kPurgeAll = kPurgeReceive | kPurgeTransmit;      // 15, by setup

// Line-error bits (ClearCommError's CE_ values).
inline constexpr std::uint32_t kCommErrorRxOver = 0x0001;  // the driver's input buffer overflowed
inline constexpr std::uint32_t kCommErrorOverrun = 0x0002; // the UART lost a character
inline constexpr std::uint32_t kCommErrorParity = 0x0004;
inline constexpr std::uint32_t kCommErrorFrame = 0x0008;
inline constexpr std::uint32_t kCommErrorBreak = 0x0010;

// Port numbers the opening sequence accepts (COM1 … COM1024).
inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 1024;
