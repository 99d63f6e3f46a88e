#pragma once

#include "SimWirelessAccess.h"

#include "MobileBroadband.h"
#include "RequestWorker.h"

#include <memory>
#include <mutex>
#include <string>

namespace tarvik {

namespace board {
class Board;
class WirelessBoard;
} // namespace board

// The mobile-broadband service of the virtual board: the board's mobile-broadband interfaces (see
// board::WirelessBoard). A radio request is carried out by a worker thread of this object, which then
// runs the completion there, as the system's service does.
class SimMobileBroadband final : public MobileBroadband {
public:
    explicit SimMobileBroadband(std::string boardDir);
    // Carries out the requests still queued, then stops the worker.
    ~SimMobileBroadband() override;

    bool reachable() override;
    std::optional<std::vector<std::wstring>> interfaceIds() override;
    std::optional<int> readyState(const std::wstring& id) override;
    std::optional<bool> softwareRadio(const std::wstring& id) override;
    std::optional<bool> hardwareRadio(const std::wstring& id) override;
    std::optional<std::uint32_t> requestSoftwareRadio(const std::wstring& id, bool on, RadioCompletion done) override;

private:
    struct Interface;
    struct Request {
        std::wstring id;
        bool on;
        std::uint32_t requestId;
        RadioCompletion done;
    };

    board::WirelessBoard* wireless() { return access_.get(); }
    std::optional<Interface> find(const std::wstring& id);
    void carryOut(Request& request);

    std::mutex boardMutex_;
    SimWirelessAccess access_;

    RequestWorker worker_; // last: its jobs use the members above
};

} // namespace tarvik
