#include "PortdWire.h"

#include "EcMap.h"
#include "EcTransactions.h"

namespace tarvik::portd {

namespace {

constexpr std::uint8_t kRequestMagic0 = 'T';
constexpr std::uint8_t kRequestMagic1 = 'P';
constexpr std::uint8_t kAnswerMagic0 = 'T';
constexpr std::uint8_t kAnswerMagic1 = 'A';

using namespace tarvik::ecmap;

constexpr std::uint8_t kWritableEc[] = {EC_WWAN_BASE_ADDRESS, EC_WLANBT_CONTROL, EC_GPS_CONTROL};
constexpr std::uint8_t kCommands[] = {
    EC_CMD_ANTENNA_INTERNAL, EC_CMD_ANTENNA_EXTERNAL, EC_CMD_GPS_ON,  EC_CMD_GPS_OFF,
    EC_CMD_WLAN_ON,          EC_CMD_WLAN_OFF,         EC_CMD_BT_ON,   EC_CMD_BT_OFF,
    EC_CMD_WLANBT_POWER_ON,  EC_CMD_WLANBT_POWER_OFF};
constexpr std::uint8_t kCmosIndices[] = {CMOS_WLAN_STATUS, CMOS_BT_STATUS, CMOS_GPS_STATUS, CMOS_ANTENNA_STATUS};

template <std::size_t N>
bool among(const std::uint8_t (&set)[N], std::uint8_t v)
{
    for (std::uint8_t s : set)
        if (s == v)
            return true;
    return false;
}

} // namespace

RequestBytes encodeRequest(const Request& r)
{
    return {kRequestMagic0, kRequestMagic1, kVersion, static_cast<std::uint8_t>(r.op), r.arg, r.value,
            static_cast<std::uint8_t>(r.tag & 0xFF), static_cast<std::uint8_t>(r.tag >> 8)};
}

AnswerBytes encodeAnswer(const Answer& a)
{
    return {kAnswerMagic0,
            kAnswerMagic1,
            kVersion,
            static_cast<std::uint8_t>(a.status),
            a.value,
            0,
            static_cast<std::uint8_t>(a.tag & 0xFF),
            static_cast<std::uint8_t>(a.tag >> 8),
            static_cast<std::uint8_t>(a.waitedMs & 0xFF),
            static_cast<std::uint8_t>((a.waitedMs >> 8) & 0xFF),
            static_cast<std::uint8_t>((a.waitedMs >> 16) & 0xFF),
            static_cast<std::uint8_t>(a.waitedMs >> 24)};
}

bool allowed(const Request& r)
{
    switch (r.op) {
    case Op::Start:
        return r.arg == 0 && r.value == 0;
    case Op::ReadEc:
        return r.value == 0;
    case Op::WriteEc:
        return among(kWritableEc, r.arg);
    case Op::EcCommand:
        return r.value == 0 && among(kCommands, r.arg);
    case Op::ReadCmos:
        return r.value == 0 && among(kCmosIndices, r.arg);
    }
    return false;
}

Parsed parseRequest(const std::uint8_t* bytes, std::size_t size)
{
    Parsed parsed;
    parsed.refusal.status = Status::Malformed;
    if (size != kRequestSize || bytes[0] != kRequestMagic0 || bytes[1] != kRequestMagic1 || bytes[2] != kVersion)
        return parsed;
    parsed.refusal.tag = static_cast<std::uint16_t>(bytes[6] | (bytes[7] << 8));
    parsed.refusal.status = Status::Refused;
    const std::uint8_t op = bytes[3];
    if (op < static_cast<std::uint8_t>(Op::Start) || op > static_cast<std::uint8_t>(Op::ReadCmos))
        return parsed;
    const Request request{static_cast<Op>(op), bytes[4], bytes[5], parsed.refusal.tag};
    if (allowed(request))
        parsed.request = request;
    return parsed;
}

std::optional<Answer> parseAnswer(const std::uint8_t* bytes, std::size_t size)
{
    if (size != kAnswerSize || bytes[0] != kAnswerMagic0 || bytes[1] != kAnswerMagic1 || bytes[2] != kVersion
        || bytes[3] > static_cast<std::uint8_t>(Status::DriverFailed) || bytes[5] != 0)
        return std::nullopt;
    Answer a;
    a.status = static_cast<Status>(bytes[3]);
    a.value = bytes[4];
    a.tag = static_cast<std::uint16_t>(bytes[6] | (bytes[7] << 8));
    a.waitedMs = static_cast<std::uint32_t>(bytes[8]) | (static_cast<std::uint32_t>(bytes[9]) << 8)
        | (static_cast<std::uint32_t>(bytes[10]) << 16) | (static_cast<std::uint32_t>(bytes[11]) << 24);
    return a;
}

std::uint32_t transactionBoundMs(Op op)
{
    using namespace tarvik::hwaccess;
    const std::uint32_t poll = kStatusReadsPerWait;
    switch (op) {
    case Op::ReadEc:
    case Op::WriteEc:
        // Command byte, poll, address, poll, data byte: three single waits and two polls.
        return (3 + 2 * poll) * kReadWriteDelayMs;
    case Op::EcCommand:
        return (1 + poll) * kCommandDelayMs + kCommandFinalDelayMs;
    case Op::Start: // one attempt; the library makes the retries and their waits itself
    case Op::ReadCmos:
        return 0;
    }
    return 0;
}

} // namespace tarvik::portd
