#include "SimPowerController.h"

#include "Board.h"
#include "Diagnostic.h"
#include "PowerBoard.h"
#include "Sleeper.h"

#include <cstring>
#include <ctime>

namespace tarvik::kestrom {

using board::PowerState;

SimPowerController::SimPowerController(std::string boardDir) : boardDir_(std::move(boardDir)) {}

SimPowerController::~SimPowerController() = default;

board::PowerBoard* SimPowerController::power()
{
    std::lock_guard lock(openMutex_);
    if (power_ && board_)
        return power_.get();
    auto board = board::Board::open(boardDir_);
    if (!board) {
        if (!reportedFailure_)
            diagnostic("Kestrom: no virtual board: %s\n", board.error().c_str());
        reportedFailure_ = true;
        return nullptr;
    }
    auto power = board::PowerBoard::open(boardDir_);
    if (!power) {
        if (!reportedFailure_)
            diagnostic("Kestrom: no power controller: %s\n", power.error().c_str());
        reportedFailure_ = true;
        return nullptr;
    }
    if (!(*power)->repairNote().empty())
        diagnostic("Kestrom: %s\n", (*power)->repairNote().c_str());
    board_ = std::move(*board);
    power_ = std::move(*power);
    return power_.get();
}

std::optional<std::int32_t> SimPowerController::read(PowerValue value)
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->memory().locked([&](PowerState& s) { return board::valueOf(s, value); });
}

bool SimPowerController::write(PowerValue value, std::int32_t v)
{
    board::PowerBoard* p = power();
    if (!p)
        return false;
    p->memory().locked([&](PowerState& s) { board::valueOf(s, value) = v; });
    return true;
}

std::optional<float> SimPowerController::readThreshold(Nominal nominal, Threshold threshold)
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->memory().locked([&](PowerState& s) { return board::thresholdOf(s, nominal, threshold); });
}

bool SimPowerController::writeThreshold(Nominal nominal, Threshold threshold, float volts)
{
    board::PowerBoard* p = power();
    if (!p)
        return false;
    p->memory().locked([&](PowerState& s) { board::thresholdOf(s, nominal, threshold) = volts; });
    return true;
}

std::optional<WakeTime> SimPowerController::readWakeTime()
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->memory().locked([&](PowerState& s) {
        return WakeTime{static_cast<std::uint8_t>(board::valueOf(s, PowerValue::RtcHour)),
                        static_cast<std::uint8_t>(board::valueOf(s, PowerValue::RtcMinute)),
                        static_cast<std::uint8_t>(board::valueOf(s, PowerValue::RtcSecond))};
    });
}

bool SimPowerController::writeWakeTime(WakeTime time)
{
    board::PowerBoard* p = power();
    if (!p)
        return false;
    p->memory().locked([&](PowerState& s) {
        board::valueOf(s, PowerValue::RtcHour) = time.hour;
        board::valueOf(s, PowerValue::RtcMinute) = time.minute;
        board::valueOf(s, PowerValue::RtcSecond) = time.second;
    });
    return true;
}

std::optional<std::string> SimPowerController::readSmsCode()
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->memory().locked([&](PowerState& s) -> std::optional<std::string> {
        if (board::valueOf(s, PowerValue::SmsStoreReady) == 0)
            return std::nullopt;
        // A person may have poked the file: never read past the code's eight characters.
        const std::string code(s.smsCode, strnlen(s.smsCode, board::kSmsCodeChars));
        if (code.empty())
            return std::nullopt;
        return code;
    });
}

bool SimPowerController::writeSmsCode(const std::string& code)
{
    board::PowerBoard* p = power();
    if (!p || code.size() > board::kSmsCodeChars)
        return false;
    return p->memory().locked([&](PowerState& s) {
        if (board::valueOf(s, PowerValue::SmsStoreReady) == 0)
            return false;
        std::memset(s.smsCode, 0, sizeof s.smsCode);
        std::memcpy(s.smsCode, code.data(), code.size());
        return true;
    });
}

bool SimPowerController::initialiseSmsStore(Sleeper& sleeper)
{
    board::PowerBoard* p = power();
    if (!p)
        return false;
    // The modem formats its store meanwhile; the board's lock is not held, so other processes
    // go on using the board.
    sleeper.sleepMs(p->smsStoreInitMs());
    p->memory().locked([](PowerState& s) {
        std::memset(s.smsCode, 0, sizeof s.smsCode);
        board::valueOf(s, PowerValue::SmsStoreReady) = 1;
    });
    return true;
}

std::optional<bool> SimPowerController::highVoltagePowerBoard()
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->highVoltagePowerBoard();
}

std::optional<std::int32_t> SimPowerController::vehicleBatteryMillivolts()
{
    board::PowerBoard* p = power();
    if (!p)
        return std::nullopt;
    return p->vehicleBatteryMillivolts();
}

bool SimPowerController::forceWatchdogExpiry()
{
    board::PowerBoard* p = power();
    return p && p->forceWatchdogExpiry(static_cast<std::int64_t>(std::time(nullptr)));
}

bool SimPowerController::clearEmergencyLatch()
{
    board::PowerBoard* p = power();
    if (!p)
        return false;
    p->memory().locked([](PowerState& s) { board::valueOf(s, PowerValue::EmergencyLatch) = 0; });
    return true;
}

bool SimPowerController::methodFails(const char* method)
{
    if (!power())
        return false;
    return board_->memory().locked([&](board::BoardState& s) { return board::kestromMethodFails(s, method); });
}

} // namespace tarvik::kestrom
