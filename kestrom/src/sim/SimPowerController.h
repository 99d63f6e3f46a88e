#pragma once

#include "PowerController.h"

#include <memory>
#include <mutex>
#include <string>

namespace tarvik::board {
class Board;
class PowerBoard;
} // namespace tarvik::board

namespace tarvik::kestrom {

// The power controller of the virtual board: every value in the board's power state, shared with
// the other processes using the board and with `tarvik-board`; faults from the board's fault table.
// The board is opened at the first call; a board that cannot be opened makes every call fail, with
// one diagnostic line.
class SimPowerController final : public PowerController {
public:
    explicit SimPowerController(std::string boardDir);
    ~SimPowerController() override;

    std::optional<std::int32_t> read(PowerValue value) override;
    bool write(PowerValue value, std::int32_t v) override;
    std::optional<float> readThreshold(Nominal nominal, Threshold threshold) override;
    bool writeThreshold(Nominal nominal, Threshold threshold, float volts) override;
    std::optional<WakeTime> readWakeTime() override;
    bool writeWakeTime(WakeTime time) override;
    std::optional<std::string> readSmsCode() override;
    bool writeSmsCode(const std::string& code) override;
    bool initialiseSmsStore(Sleeper& sleeper) override;
    std::optional<bool> highVoltagePowerBoard() override;
    std::optional<std::int32_t> vehicleBatteryMillivolts() override;
    bool forceWatchdogExpiry() override;
    bool clearEmergencyLatch() override;
    bool methodFails(const char* method) override;

private:
    // The opened power board, or null when the board cannot be opened.
    board::PowerBoard* power();

    std::string boardDir_;
    std::mutex openMutex_;
    std::unique_ptr<board::Board> board_;
    std::unique_ptr<board::PowerBoard> power_;
    bool reportedFailure_ = false;
};

} // namespace tarvik::kestrom
