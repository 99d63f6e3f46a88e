#pragma once

#include "PortdWire.h"

namespace tarvik {
class PortIo;
class Sleeper;
}

namespace tarvik::hwaccess {

// Carries out one request with the access layer's transactions over a port driver: what the
// libraries do in-process and what tarvik-portd does for them, so both run the same handshake with
// the same waits. The request is not checked against the map here (the helper does that when it
// parses). The EC command's diagnostic line is the caller's to write, in the library's own process.
portd::Answer carryOut(const portd::Request& request, PortIo& ports, Sleeper& sleeper);

} // namespace tarvik::hwaccess
