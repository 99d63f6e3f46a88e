#pragma once

#include "ComSettings.h"
#include "LineErrorCounters.h"

#include <cstddef>
#include <cstdint>

class TtyControl;

// One serial port, named by its number n (COMn). The base of the port classes: number, name,
// descriptor, line settings and time-outs; configuration and closing.
//
// The port is found through tarvik::comDevicePath(n) and opened exclusively: a second opener, in
// this process or another, is refused (an advisory lock on the device, plus TIOCEXCL, which stops
// other opens of the tty for everyone but root; close() clears it again). The descriptor is
// non-blocking in every variant: reads return at once with what is queued and writes wait by the
// time-outs. The tty calls go to ttyControl() (TtyControl.h), taken when the port is constructed.
//
// The classes are compiled into each library that uses them, with hidden symbols, so every library
// has its own copy; each holds its one port object as a static object. No operation reports a
// message: results are false or 0 and the caller decides what to say. Not copyable.
class _base_com {
public:
    static constexpr int kInvalidHandle = -1;
    static constexpr std::size_t kNameSize = 20;

    _base_com();
    _base_com(const _base_com&) = delete;
    _base_com& operator=(const _base_com&) = delete;

    // Virtual slots in the order the class family has always had them.
    virtual bool open() = 0;
    // Queue sizes, time-outs and a purge of both sides; false on a closed port or a refusal.
    virtual bool setup();
    virtual ~_base_com();
    // Closes the descriptor; nothing on a closed port.
    virtual void close();

    // Stores n and names the port "\\.\COMn". No range check: the opening sequence checks.
    void set_port(int port);
    // 8 data bits, no parity, one stop bit at `baud`; true only when the driver took that speed and
    // frame (read back after setting). Speeds that are not positive are never accepted.
    bool set_state(int baud);

    bool is_open() const { return m_hCom != kInvalidHandle; }
    int port() const { return m_port; }
    const char* port_name() const { return m_szName; }
    int handle() const { return m_hCom; }
    const ComLineSettings& line_settings() const { return m_dcb; }
    // Filled by setup; a caller may change them afterwards (a write's limit comes from here).
    ComTimeouts& timeouts() { return m_timeouts; }

protected:
    // What ClearCommError reports: the line-error bits that appeared since the last query and the
    // bytes in the receive queue.
    struct PortStatus {
        std::uint32_t errors = 0;
        std::uint32_t queued = 0;
    };

    // Opens the device of the stored number exclusively, in raw mode; false leaves the port closed.
    bool open_device();
    // False when the queue cannot be read (the device is gone); the error bits are 0 where the
    // driver counts no errors.
    bool clear_comm_error(PortStatus& status);
    bool purge(unsigned flags);
    // The read of both reading variants (a Linux descriptor reads alike in both): at most size − 1
    // queued bytes into buffer, NUL-terminated after them (nothing is written when size < 1). 0 when
    // the port is closed or nothing is queued; also when line errors seen since the last query made
    // it discard the receive queue, or when the queue cannot be read (the device is gone).
    int read_queued(char* buffer, int size);

    int m_port = 0;
    int m_hCom = kInvalidHandle;
    char m_szName[kNameSize] = {};
    ComLineSettings m_dcb;
    ComTimeouts m_timeouts;

private:
    void close_handle();

    TtyControl& m_tty;
    LineErrorCounters m_errorCounters;
    bool m_countersKnown = false;
};
