#include "SimPortIo.h"

#include "EcSimulator.h"

#include <cstdio>
#include <cstring>

namespace tarvik {

using board::BoardState;
using board::FaultSlot;

SimPortIo::SimPortIo(std::string boardDir) : boardDir_(std::move(boardDir)) {}

SimPortIo::~SimPortIo()
{
    if (holder_.load() == std::this_thread::get_id())
        releaseTransaction();
}

bool SimPortIo::ensureBoard()
{
    std::lock_guard lock(openMutex_);
    if (board_)
        return true;
    auto opened = board::Board::open(boardDir_);
    if (!opened) {
        if (!reportedFailure_)
            std::fprintf(stderr, "port I/O: virtual board unusable: %s\n", opened.error().c_str());
        reportedFailure_ = true;
        return false;
    }
    board_ = std::move(*opened);
    return true;
}

bool SimPortIo::initialize()
{
    if (!ensureBoard())
        return false;
    const bool refused = board_->memory().locked([](BoardState& s) {
        auto* refuse = const_cast<FaultSlot*>(board::findFault(s, "driver-refuse"));
        if (!refuse) {
            ++s.driverStarts;
            return false;
        }
        ++s.driverRefusals;
        if (std::strcmp(refuse->arg, "always") != 0 && --refuse->remaining <= 0)
            std::memset(refuse, 0, sizeof *refuse); // worn off
        return true;
    });
    if (!refused)
        started_ = true;
    return !refused;
}

void SimPortIo::holdTransaction()
{
    if (holder_.load() == std::this_thread::get_id())
        return;
    board_->memory().lock();
    holder_ = std::this_thread::get_id();
}

void SimPortIo::releaseTransaction()
{
    holder_ = std::thread::id{};
    board_->memory().unlock();
}

bool SimPortIo::writePort(std::uint16_t port, std::uint32_t value)
{
    if (!started_)
        return false;
    holdTransaction();
    BoardState& s = board_->memory().state();
    board::ecHostWrite(s, port, static_cast<std::uint8_t>(value & 0xFFu));
    // A CMOS index waits for its data read; an EC handshake for its last byte.
    if (port != board::ec::CMOS_INDEX_PORT && !board::ecTransactionOpen(s))
        releaseTransaction();
    return true;
}

bool SimPortIo::readPort(std::uint16_t port, std::uint32_t* value)
{
    if (!started_)
        return false;
    const bool heldBefore = holder_.load() == std::this_thread::get_id();
    holdTransaction();
    BoardState& s = board_->memory().state();
    *value = board::ecHostRead(s, port);
    // Keep the lock only inside a handshake this thread started; a stray status read holds nothing.
    const bool keep = heldBefore && port != board::ec::CMOS_DATA_PORT && board::ecTransactionOpen(s);
    if (!keep)
        releaseTransaction();
    return true;
}

} // namespace tarvik
