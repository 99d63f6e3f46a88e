#include "GpsReceiverPeer.h"

#include "BaudPacer.h"
#include "Board.h"
#include "EcSimulator.h"
#include "GpsReceiverModel.h"
#include "GpsReceiverSettings.h"
#include "PtyLink.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <thread>
#include <vector>

namespace tarvik::board {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kFifoBytes = 16;    // a UART hands bytes over in FIFO loads
constexpr double kMinTickSeconds = 0.001;
constexpr double kMaxTickSeconds = 0.020;
constexpr double kStopCheckSeconds = 0.1;
constexpr double kBaudTolerance = 0.03;   // beyond this a UART sees framing errors
constexpr std::size_t kNoiseBytesPerEpoch = 400;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double utcNow()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// What the profile says of the receiver: its [gps] values and its port in the device list.
struct ReceiverProfile {
    gps::GpsReceiverSettings settings;
    std::optional<int> port;
};

ReceiverProfile readProfile(Board& board)
{
    auto profile = board.profile();
    if (!profile)
        return {};
    return {gps::GpsReceiverSettings::from([&](const std::string& name) { return profile->get("gps", name); }),
            gpsReceiverPort(*profile)};
}

std::string linkPath(Board& board, int port) { return board.dir() + "/COM" + std::to_string(port); }

struct BoardConditions {
    bool powered = true;
    bool silent = false;
    bool garbage = false;
    bool searching = false;
};

BoardConditions readConditions(Board& board)
{
    auto profile = board.profile();
    const bool kqs = profile && profile->get("board", "Model").value_or("") == "KQS";
    return board.memory().locked([&](BoardState& s) {
        BoardConditions c;
        c.powered = kqs ? (s.ec[ec::EC_GPS_CONTROL] & 0x01) != 0 : (s.cmos[ec::CMOS_GPS_STATUS] & ec::kCmosModuleOn) != 0;
        c.silent = findFault(s, gps::kFaultSilent) != nullptr;
        c.garbage = findFault(s, gps::kFaultGarbage) != nullptr;
        c.searching = findFault(s, gps::kFaultNoFix) != nullptr;
        return c;
    });
}

} // namespace

std::optional<int> gpsReceiverPort(const BoardProfile& profile)
{
    return boardDevicePort(profile, kGpsReceiverDevice);
}

GpsReceiverPeer::GpsReceiverPeer(Board& board, Observer* observer)
    : board_(board)
    , observer_(observer)
{
}

bool GpsReceiverPeer::run(const std::atomic<bool>& stop)
{
    const ReceiverProfile initial = readProfile(board_);
    if (!initial.port) {
        std::cerr << "tarvik-board: GPS receiver: the board's device list has no " << kGpsReceiverDevice << "\n";
        return false;
    }
    gps::GpsReceiverSettings settings = initial.settings;
    int port = *initial.port;
    gps::PtyLink pty;
    std::string error;
    if (!pty.open(settings.baud, error) || !pty.link(linkPath(board_, port), error)) {
        std::cerr << "tarvik-board: GPS receiver: " << error << "\n";
        return false;
    }

    const Clock::time_point start = Clock::now();
    gps::BaudPacer pacer(settings.baud);
    // Epochs fall on whole multiples of the update period in UTC, as a receiver's do.
    const double utcAtStart = utcNow();
    auto epochPeriod = [&] { return 1.0 / settings.updateRate; };
    double nextEpochUtc = std::ceil(utcAtStart / epochPeriod()) * epochPeriod();
    auto steadyAt = [&](double utc) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(utc - utcAtStart));
    };
    Clock::time_point nextEpoch = steadyAt(nextEpochUtc);
    std::uint32_t epochs = 0;
    std::string pending;     // bytes of the current epoch not yet on the line
    std::size_t sent = 0;
    std::vector<std::pair<std::size_t, std::string>> sentenceEnds; // for the observer

    while (!stop) {
        const Clock::time_point now = Clock::now();
        const double t = seconds(now - start);
        if (now >= nextEpoch) {
            const ReceiverProfile current = readProfile(board_);
            const gps::GpsReceiverSettings& fresh = current.settings;
            // Told once: the next change of the list tries again.
            if (current.port && *current.port != port) {
                port = *current.port;
                if (!pty.link(linkPath(board_, port), error))
                    std::cerr << "tarvik-board: GPS receiver: " << error << "\n";
            }
            if (fresh.baud != settings.baud) {
                pacer = gps::BaudPacer(fresh.baud);
                pacer.idleUntil(t);
                pty.setBaud(fresh.baud);
            }
            settings = fresh;
            const BoardConditions c = readConditions(board_);
            // A receiver whose line is still busy with the last epoch drops this one.
            if (pending.empty() && c.powered && !c.silent) {
                if (c.garbage) {
                    pending = gps::GpsReceiverModel::noise(epochs, kNoiseBytesPerEpoch);
                } else {
                    for (const std::string& s : gps::GpsReceiverModel(settings).epoch(nextEpochUtc, t, c.searching)) {
                        pending += s;
                        sentenceEnds.emplace_back(pending.size(), s);
                    }
                }
                const unsigned host = pty.hostBaud();
                if (std::abs(static_cast<double>(host) - settings.baud) > kBaudTolerance * settings.baud) {
                    pending = gps::GpsReceiverModel::garble(pending);
                    sentenceEnds.clear();
                }
                pacer.idleUntil(t);
            }
            ++epochs;
            nextEpochUtc = (std::floor(nextEpochUtc / epochPeriod() + 1e-6) + 1.0) * epochPeriod();
            nextEpoch = steadyAt(nextEpochUtc);
            if (nextEpoch < now) { // fell behind (the machine was suspended): start afresh
                nextEpochUtc = std::ceil((utcAtStart + t) / epochPeriod()) * epochPeriod();
                nextEpoch = steadyAt(nextEpochUtc);
            }
        }

        const std::size_t n = pacer.take(t, pending.size() - sent);
        if (n > 0) {
            pty.write(std::string_view(pending).substr(sent, n));
            sent += n;
            const Clock::time_point written = Clock::now();
            while (!sentenceEnds.empty() && sentenceEnds.front().first <= sent) {
                if (observer_)
                    observer_->sentenceSent(sentenceEnds.front().second, written);
                sentenceEnds.erase(sentenceEnds.begin());
            }
            if (sent == pending.size()) {
                pending.clear();
                sent = 0;
            }
        }
        pty.drainInput();

        const double tick = std::clamp(kFifoBytes * pacer.byteSeconds(), kMinTickSeconds, kMaxTickSeconds);
        const double untilEpoch = seconds(nextEpoch - Clock::now());
        const double wait = pending.empty() ? std::min(untilEpoch, kStopCheckSeconds) : std::min(untilEpoch, tick);
        if (wait > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
    return true;
}

} // namespace tarvik::board
