#pragma once

#include "Board.h"
#include "EcSimulator.h"
#include "PortIo.h"

#include <cstring>
#include <string>
#include <vector>

namespace tarvik::test {

// A port driver in front of the board's EC simulator, on a private in-memory board: records every
// access and can fail reads or refuse to start.
class SimulatedEcPorts final : public PortIo {
public:
    struct Access {
        char op; // 'R' or 'W'
        std::uint16_t port;
        std::uint32_t value;
        bool operator==(const Access&) const = default;
    };

    board::BoardState state{};
    std::vector<Access> log;
    int refuseStarts = 0; // the next N initialize() calls fail; -1: all of them
    int initializeCalls = 0;
    bool failDataReads = false;
    bool failAllReads = false;

    SimulatedEcPorts() { std::memset(&state, 0, sizeof state); }

    void setFault(const char* name, const char* arg = "")
    {
        for (board::FaultSlot& slot : state.faults) {
            if (slot.name[0] == '\0') {
                std::strncpy(slot.name, name, sizeof slot.name - 1);
                std::strncpy(slot.arg, arg, sizeof slot.arg - 1);
                return;
            }
        }
    }

    bool initialize() override
    {
        ++initializeCalls;
        if (refuseStarts == -1)
            return false;
        if (refuseStarts > 0) {
            --refuseStarts;
            return false;
        }
        return true;
    }
    bool readPort(std::uint16_t port, std::uint32_t* value) override
    {
        log.push_back({'R', port, 0});
        if (failAllReads || (failDataReads && port == 0x68))
            return false;
        *value = board::ecHostRead(state, port);
        log.back().value = *value;
        return true;
    }
    bool writePort(std::uint16_t port, std::uint32_t value) override
    {
        log.push_back({'W', port, value});
        board::ecHostWrite(state, port, static_cast<std::uint8_t>(value));
        return true;
    }

    std::size_t statusReads() const
    {
        std::size_t n = 0;
        for (const Access& a : log)
            n += (a.op == 'R' && a.port == 0x6C);
        return n;
    }
};

} // namespace tarvik::test
