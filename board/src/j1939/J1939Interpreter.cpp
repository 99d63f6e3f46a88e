#include "J1939Interpreter.h"

#include "Board.h"
#include "PseudoTerminal.h"
#include "Stn1110Simulator.h"
#include "VehicleModel.h"
#include "VehicleSettings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace tarvik::board {

using j1939::InterpreterFaults;
using j1939::PseudoTerminal;
using j1939::Stn1110Simulator;

namespace {

constexpr std::int64_t kStopCheckUs = 100000;
constexpr std::int64_t kRetryWriteUs = 2000;
constexpr std::int64_t kUsPerSecond = 1000000;
// Start bit, eight data bits, stop bit.
constexpr std::int64_t kBitsPerByte = 10;
// The ELM327's output buffer: when the chip prints faster than the line (or the host) takes it,
// monitoring ends with "BUFFER FULL".
constexpr std::size_t kChipBufferBytes = 256;
constexpr std::size_t kReadChunk = 256;
// A host that writes while it never reads cannot make the peer grow without end.
constexpr std::size_t kMaxPendingBytes = 65536;
// A rate the table of standard rates does not know is taken as the chip's factory rate.
constexpr unsigned kDefaultBaud = 9600;

class ModelSource final : public j1939::VehicleSource {
public:
    explicit ModelSource(VehicleModel& model) : model_(model) {}
    VehicleValues current() override
    {
        // A profile being rewritten at this moment keeps the last values for one line.
        if (auto v = model_.now())
            last_ = *v;
        return last_;
    }

private:
    VehicleModel& model_;
    VehicleValues last_{};
};

InterpreterFaults readFaults(Board& board)
{
    return board.memory().locked([](BoardState& s) {
        InterpreterFaults f;
        f.silent = findFault(s, j1939::kFaultSilent) != nullptr;
        f.noPrompt = findFault(s, j1939::kFaultNoPrompt) != nullptr;
        f.garbage = findFault(s, j1939::kFaultGarbage) != nullptr;
        if (const FaultSlot* status = findFault(s, j1939::kFaultStatus))
            f.statusLine.assign(status->arg, strnlen(status->arg, kFaultArgSize));
        return f;
    });
}

std::int64_t nowUs() { return VehicleModel::monotonicNs() / 1000; }

} // namespace

std::optional<int> j1939InterpreterPort(const BoardProfile& profile)
{
    return boardDevicePort(profile, kJ1939InterpreterDevice);
}

bool serveJ1939Interpreter(Board& board, const std::atomic<bool>& stop, std::string& error)
{
    auto profile = board.profile();
    if (!profile) {
        error = profile.error();
        return false;
    }
    const auto port = j1939InterpreterPort(*profile);
    if (!port) {
        error = std::string("the board's device list has no ") + kJ1939InterpreterDevice;
        return false;
    }
    auto model = VehicleModel::open(board.dir());
    if (!model) {
        error = model.error();
        return false;
    }
    PseudoTerminal pty;
    if (!pty.open(error) || !pty.link(board.dir() + "/COM" + std::to_string(*port), error))
        return false;

    ModelSource source(**model);
    Stn1110Simulator chip(source, static_cast<std::uint64_t>(VehicleModel::monotonicNs()));
    std::string pending; // printed by the chip, not yet carried by the line
    std::int64_t lineFreeUs = 0;
    while (!stop.load()) {
        (void)(*model)->now();
        chip.setBroadcastDivisor((*model)->broadcastDivisor());

        std::int64_t now = nowUs();
        std::int64_t waitUs = kStopCheckUs;
        if (const auto due = chip.nextDueUs())
            waitUs = std::min(waitUs, *due - now);
        if (!pending.empty())
            waitUs = std::min(waitUs, lineFreeUs - now);
        waitUs = std::max<std::int64_t>(waitUs, 0);
        pollfd p{pty.masterFd(), POLLIN, 0};
        const timespec timeout{static_cast<time_t>(waitUs / kUsPerSecond), static_cast<long>(waitUs % kUsPerSecond) * 1000};
        const int ready = ppoll(&p, 1, &timeout, nullptr);
        now = nowUs();
        // Read after the wait, so that a fault set before a command was sent applies to it.
        const InterpreterFaults faults = readFaults(board);
        if (ready > 0 && (p.revents & POLLIN)) {
            char buffer[kReadChunk];
            const ssize_t n = read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0)
                pending += chip.receive(std::string_view(buffer, static_cast<std::size_t>(n)), now, faults);
        }
        pending += chip.tick(now, faults);
        if (chip.monitoring() && pending.size() > kChipBufferBytes)
            pending += chip.bufferFull(faults);
        if (pending.size() > kMaxPendingBytes)
            pending.erase(0, pending.size() - kMaxPendingBytes);

        if (!pending.empty() && now >= lineFreeUs) {
            const ssize_t n = write(pty.masterFd(), pending.data(), pending.size());
            if (n > 0) {
                pending.erase(0, static_cast<std::size_t>(n));
                // The bytes take their time on the line at the rate the host chose.
                const unsigned rate = pty.baud();
                const std::int64_t baud = rate ? rate : kDefaultBaud;
                lineFreeUs = now + n * kBitsPerByte * kUsPerSecond / baud;
            } else {
                lineFreeUs = now + kRetryWriteUs;
            }
        }
    }
    return true;
}

} // namespace tarvik::board
