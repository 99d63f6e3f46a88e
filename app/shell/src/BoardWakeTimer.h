#pragma once

#include "WakeTimer.h"

#include <string>

// The wake timer of the virtual board: arming records the due time in the board's login manager
// (`tarvik-board show` prints it). The faults wake-timer-create and wake-timer-arm make the two
// steps fail, as on a machine that lacks the right.
class BoardWakeTimer final : public WakeTimer {
public:
    explicit BoardWakeTimer(std::string boardDir) : m_dir(std::move(boardDir)) {}

    bool Create() override;
    bool SetAbsolute(std::int64_t dueUtcUnits) override;
    void Close() override {}

private:
    bool FaultSet(const char* name) const;

    std::string m_dir;
};
