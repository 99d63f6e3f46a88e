#pragma once

#include "BoardResult.h"
#include "BoardState.h"
#include "MappedState.h"
#include "TarvikBoardExport.h"
#include "WirelessState.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::board {

class Board;

// The board's WLAN and mobile-broadband interfaces, joined with what the EC says about the built-in
// modules:
//   - the built-in WLAN module (slot 0) is listed while it is fitted and powered; its radio is the
//     module's on bit, which the EC switches (WLAN commands 0x20/0x21, the combined WLAN/Bluetooth
//     power) and the WLAN service switches too: CMOS 0x60 bit 7, on KQS machines EC RAM 0xBE bit 1
//     (fitted: 0xA3 bit 1, powered: 0xBE bit 0);
//   - the built-in modem (slot 0) is listed while it is fitted (EC RAM 0xA3 bit 0) and powered (0x9D
//     bit 1); its hardware radio is the module enable (0x9D bit 2) and its ready state is that of
//     the SIM in the slot 0x9D bit 3 selects.
// Never holds the board lock and its own lock at once.
class TARVIK_BOARD_EXPORT WirelessBoard {
public:
    struct Wlan {
        int slot;
        std::uint8_t guid[16];
        std::string description;
        std::int32_t state;
        bool softwareRadioOn;
        bool hardwareRadioOn;
    };
    struct Mbn {
        int slot;
        std::string id;
        int readyState;
        bool softwareRadioOn;
        bool hardwareRadioOn;
    };

    // Opens the board's wireless state, creating it (factory values) when it is missing.
    static Result<std::unique_ptr<WirelessBoard>> open(Board& board);
    // Factory values: only the built-in interfaces connected and on, SIM slot 1 ready, slot 2 empty.
    // For Board::create, which holds the board directory's lock.
    static Status reset(const std::string& dir);

    // The interfaces the services list now, in slot order.
    std::vector<Wlan> wlanInterfaces();
    std::vector<Mbn> mbnInterfaces();

    // Changes of a listed interface; an error names what is wrong (slot not listed, value out of range).
    Status setWlanSoftwareRadio(int slot, bool on);
    Status setWlanHardwareRadio(int slot, bool on);
    Status setWlanState(int slot, std::int32_t state);
    Status setMbnSoftwareRadio(int slot, bool on);
    Status setMbnHardwareRadio(int slot, bool on); // slots 1..: the built-in modem's is the EC's enable bit
    Status setMbnReadyState(int slot, int state);  // slot 0: the SIM in the selected SIM slot
    Status setSimReadyState(int simSlot, int state); // the built-in modem with SIM slot 1 or 2 selected

    // Numbers a radio request (1, 2, ...) and counts finished ones, for `tarvik-board show`.
    std::uint32_t nextRequestId();
    void requestCompleted();
    std::uint32_t requestsCompleted();

private:
    struct EcView;
    WirelessBoard(Board& board, std::unique_ptr<MappedState<WirelessState>> memory);
    bool isKqs();
    static EcView viewOf(const BoardState& s, bool kqs);
    EcView ecView();
    int listedCount(const char* profileName);

    Board& board_;
    std::unique_ptr<MappedState<WirelessState>> memory_;
};

} // namespace tarvik::board
