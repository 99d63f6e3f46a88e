#pragma once

#include "TarvikBoardExport.h"

#include <atomic>
#include <optional>
#include <string>

namespace tarvik::board {

class Board;
class BoardProfile;

// The description by which the board's device list names the interpreter ("STN1110 J1939
// Interpreter (COM5)" on every preset).
inline constexpr const char* kJ1939InterpreterDevice = "STN1110 J1939 Interpreter";

// The COM number of the interpreter in the board's device list; nothing when it has none.
TARVIK_BOARD_EXPORT std::optional<int> j1939InterpreterPort(const BoardProfile& profile);

// Runs the simulated STN1110 on a pseudo-terminal linked as COMn in the board folder until stop
// becomes true (looked at every 100 ms), then removes the link. The vehicle's values come from the
// board's VehicleModel, faults from the board's fault list. False, with the reason in error, when
// it cannot run (no interpreter in the device list, no pseudo-terminal).
TARVIK_BOARD_EXPORT bool serveJ1939Interpreter(Board& board, const std::atomic<bool>& stop, std::string& error);

} // namespace tarvik::board
