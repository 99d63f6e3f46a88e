#pragma once

#include "TarvikBoardExport.h"

#include <atomic>
#include <chrono>
#include <string_view>

namespace tarvik::board {

class Board;

// The board's simulated GPS receiver (a u-blox on COM3 by default): a pseudo-terminal linked as
// the profile's GPS port in the board folder, sending NMEA at the profile's baud rate and update
// rate while a route moves the position. It reads the profile's [gps] values and the board's
// faults at every epoch, so `tarvik-board set` and `fault` take effect within one fix. It is
// silent while the GPS module is switched off (CMOS 0x63 bit 7; EC 0xBF bit 0 on KQS), and a host
// that sets another baud rate on the port receives framing-error garbage, as on a real line.
class TARVIK_BOARD_EXPORT GpsReceiverPeer {
public:
    // Told of every sentence when its last byte has been handed to the pty.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void sentenceSent(std::string_view sentence, std::chrono::steady_clock::time_point when) = 0;
    };

    explicit GpsReceiverPeer(Board& board, Observer* observer = nullptr);

    // Serves until stop becomes true (checked at least every 100 ms); false, with the reason on
    // stderr, when the pty cannot be made or linked.
    bool run(const std::atomic<bool>& stop);

private:
    Board& board_;
    Observer* observer_;
};

} // namespace tarvik::board
