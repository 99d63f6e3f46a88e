#include "OpeningSequence.h"

#include "_base_com.h"

bool runOpeningSequence(_base_com& port, int portNumber, int baud)
{
    if (portNumber < kFirstComPort || portNumber > kLastComPort)
        return false;
    port.set_port(portNumber);
    if (!port.open())
        return false;
    if (!port.setup())
        return false;
    return port.set_state(baud);
}
