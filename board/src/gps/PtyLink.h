#pragma once

#include <string>
#include <string_view>

namespace tarvik::board::gps {

// The receiver's end of a pseudo-terminal, with the device end linked into the board folder as
// serial port COMn. The receiver keeps a descriptor of the device end itself, so that a host
// closing and reopening the port never hangs the line up, and its line settings stay.
class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // A non-blocking master and its device end in raw mode at `baud`; false with the reason.
    bool open(unsigned baud, std::string& error);
    // Points linkPath at the device end (replacing what was there, atomically); a previous link of
    // this pty is removed.
    bool link(const std::string& linkPath, std::string& error);
    // Removes the link if it still points at this pty.
    void unlink();

    const std::string& devicePath() const { return devicePath_; }
    const std::string& linkPath() const { return linkPath_; }

    // The speed of the device end: what the host set last (0 when unreadable).
    unsigned hostBaud() const;
    bool setBaud(unsigned baud);

    // Hands bytes to the line without waiting; returns how many it took (fewer when nobody reads
    // and the pty is full: those are lost, as on a real line).
    std::size_t write(std::string_view bytes);
    // Reads and drops what the host sent (a receiver ignores commands it does not know).
    void drainInput();

private:
    int master_ = -1;
    int device_ = -1;
    std::string devicePath_;
    std::string linkPath_;
};

} // namespace tarvik::board::gps
