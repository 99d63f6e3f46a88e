#pragma once

#include <string>

namespace tarvik::board::j1939 {

// The simulator's end of a pseudo-terminal, with the device end linked into the board folder as a
// serial port. The peer keeps the device end open itself, so that a host closing and reopening
// the port never leaves the master hung up.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a master (non-blocking) and its device end in raw mode at 9600 baud; false with the
    // reason in error.
    bool open(std::string& error);
    // Points linkPath at the device end, replacing whatever was there.
    bool link(const std::string& linkPath, std::string& error);

    int masterFd() const { return master_; }
    const std::string& devicePath() const { return devicePath_; }
    // The baud rate the host set on its end (0 when it cannot be read).
    unsigned baud() const;

private:
    int master_ = -1;
    int device_ = -1;
    std::string devicePath_;
    std::string linkPath_;
};

} // namespace tarvik::board::j1939
