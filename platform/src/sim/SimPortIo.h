#pragma once

#include "Board.h"
#include "PortIo.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tarvik {

// The port driver on the virtual board: port accesses go to the simulated EC in the board's shared
// memory. An EC handshake (command byte to last data byte) or a CMOS index/data pair holds the
// board lock from its first access to its last, so transactions of different processes never
// interleave.
class SimPortIo final : public PortIo {
public:
    explicit SimPortIo(std::string boardDir);
    ~SimPortIo() override;

    bool initialize() override;
    bool readPort(std::uint16_t port, std::uint32_t* value) override;
    bool writePort(std::uint16_t port, std::uint32_t value) override;

private:
    bool ensureBoard();
    void holdTransaction();
    void releaseTransaction();

    std::string boardDir_;
    std::mutex openMutex_;
    std::unique_ptr<board::Board> board_;
    std::atomic<bool> started_{false};
    bool reportedFailure_ = false;
    std::atomic<std::thread::id> holder_{};
};

} // namespace tarvik
