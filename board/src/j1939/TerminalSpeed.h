#pragma once

namespace tarvik::board::j1939 {

// The output speed a terminal is set to, in baud, also when it is not one of the classic rates
// (set as a number through termios2); 0 when it cannot be read.
unsigned terminalBaud(int fd);

} // namespace tarvik::board::j1939
