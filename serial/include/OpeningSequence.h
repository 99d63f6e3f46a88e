#pragma once

class _base_com;

// How both libraries start their port: a number outside kFirstComPort..kLastComPort fails at once
// without touching the port; then set_port, open, setup and set_state in turn. The first failure
// ends it; a port that opened stays open (the next open or the library's stop closes it). The
// result is that of set_state.
bool runOpeningSequence(_base_com& port, int portNumber, int baud);
