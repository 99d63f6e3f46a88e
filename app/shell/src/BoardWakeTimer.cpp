#include "BoardWakeTimer.h"

#include "Board.h"
#include "SessionBoard.h"

using namespace tarvik::board;

bool BoardWakeTimer::FaultSet(const char* name) const
{
    auto board = Board::open(m_dir);
    // A board that cannot be opened has no timer to give either.
    if (!board)
        return true;
    return (*board)->memory().locked([&](BoardState& s) { return findFault(s, name) != nullptr; });
}

bool BoardWakeTimer::Create() { return !FaultSet(kFaultWakeTimerCreate); }

bool BoardWakeTimer::SetAbsolute(std::int64_t dueUtcUnits)
{
    if (FaultSet(kFaultWakeTimerArm))
        return false;
    auto session = SessionBoard::open(m_dir);
    if (!session)
        return false;
    (*session)->armWakeTimer(dueUtcUnits);
    return true;
}
