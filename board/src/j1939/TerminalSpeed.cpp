#include "TerminalSpeed.h"

// The kernel's own termios2 record carries the speed as a number; <termios.h> would clash with it,
// so this is a file of its own.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tarvik::board::j1939 {

unsigned terminalBaud(int fd)
{
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return t.c_ospeed;
}

} // namespace tarvik::board::j1939
