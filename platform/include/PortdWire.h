#pragma once

// The messages between the libraries and tarvik-portd, the privileged EC helper: whole EC and CMOS
// transactions, never port bytes. Every message has a fixed size; integers are little-endian.
//
// Request, 8 bytes:
//   0-1  magic "TP"
//   2    version (1)
//   3    operation: 1 start the port driver, 2 read EC RAM byte, 3 write EC RAM byte,
//                   4 send EC command, 5 read extended-CMOS byte
//   4    EC RAM address, EC command code or CMOS index (0 for start)
//   5    value to write (0 otherwise)
//   6-7  tag, echoed in the answer
//
// Answer, 12 bytes:
//   0-1  magic "TA"
//   2    version (1)
//   3    status: 0 done, 1 refused (operation or argument outside the map), 2 malformed request,
//                3 not permitted (the client is neither root nor in the helper's group),
//                4 the port driver did not start
//   4    the byte read (read EC RAM, read CMOS), else 0
//   5    0
//   6-7  tag of the request
//   8-11 milliseconds of fixed waits the transaction made (for diagnostics)
//
// Allowed: reading any EC RAM byte; writing the EC RAM bytes the libraries switch bits in
// (EC_WWAN_BASE_ADDRESS, EC_WLANBT_CONTROL, EC_GPS_CONTROL); the EC command codes of the map; the
// CMOS indices of the map. Malformed requests end the connection after their answer; refused ones
// do not.

#include "TarvikPlatformExport.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tarvik::portd {

inline constexpr std::size_t kRequestSize = 8;
inline constexpr std::size_t kAnswerSize = 12;
inline constexpr std::uint8_t kVersion = 1;

enum class Op : std::uint8_t { Start = 1, ReadEc = 2, WriteEc = 3, EcCommand = 4, ReadCmos = 5 };

enum class Status : std::uint8_t { Done = 0, Refused = 1, Malformed = 2, NotPermitted = 3, DriverFailed = 4 };

struct Request {
    Op op = Op::Start;
    std::uint8_t arg = 0;
    std::uint8_t value = 0;
    std::uint16_t tag = 0;

    bool operator==(const Request&) const = default;
};

struct Answer {
    Status status = Status::Done;
    std::uint8_t value = 0;
    std::uint16_t tag = 0;
    std::uint32_t waitedMs = 0;

    bool operator==(const Answer&) const = default;
};

using RequestBytes = std::array<std::uint8_t, kRequestSize>;
using AnswerBytes = std::array<std::uint8_t, kAnswerSize>;

TARVIK_PLATFORM_EXPORT RequestBytes encodeRequest(const Request& request);
TARVIK_PLATFORM_EXPORT AnswerBytes encodeAnswer(const Answer& answer);

// What the helper makes of the bytes of one request: a request it may carry out, or the answer it
// sends instead (Malformed or Refused, with the request's tag when the header was readable).
struct Parsed {
    std::optional<Request> request;
    Answer refusal;
};
TARVIK_PLATFORM_EXPORT Parsed parseRequest(const std::uint8_t* bytes, std::size_t size);

// Whether the map allows the request (see above).
TARVIK_PLATFORM_EXPORT bool allowed(const Request& request);

// The client's side: nullopt unless the bytes are a well-formed answer.
TARVIK_PLATFORM_EXPORT std::optional<Answer> parseAnswer(const std::uint8_t* bytes, std::size_t size);

// The most milliseconds of fixed waits one transaction of this kind makes when every status poll
// runs out (the access layer's own limits).
TARVIK_PLATFORM_EXPORT std::uint32_t transactionBoundMs(Op op);

} // namespace tarvik::portd
