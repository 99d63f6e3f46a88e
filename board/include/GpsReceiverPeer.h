#pragma once

#include "TarvikBoardExport.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string_view>

namespace tarvik::board {

class Board;
class BoardProfile;

// The description by which the board's device list names the receiver ("u-blox GNSS Receiver
// (COM3)" on every preset), and by which the program looks its port up.
inline constexpr const char* kGpsReceiverDevice = "u-blox GNSS Receiver";

// The COM number of the receiver in the board's device list; nothing when it has none.
TARVIK_BOARD_EXPORT std::optional<int> gpsReceiverPort(const BoardProfile& profile);

// The board's simulated GPS receiver: a pseudo-terminal linked as COMn in the board folder, n
// being the receiver's port in the device list (so that the program, which finds the port there
// too, opens this one), sending NMEA at the profile's baud rate and update rate while a route
// moves the position. It reads the profile's [gps] values, the device list and the board's
// faults at every epoch, so `tarvik-board set`, `device` and `fault` take effect within one fix
// (a device list without the receiver leaves the link where it was). It is
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
    // stderr, when the device list has no receiver or the pty cannot be made or linked.
    bool run(const std::atomic<bool>& stop);

private:
    Board& board_;
    Observer* observer_;
};

} // namespace tarvik::board
