#pragma once

#include "MobileBroadband.h"

#include "ModemManagerMapping.h"
#include "RequestWorker.h"

#include <atomic>
#include <chrono>
#include <string>

struct sd_bus;

namespace tarvik {

// The mobile-broadband service on Linux: ModemManager on the system bus. Every modem is one
// interface (see ModemManagerMapping for ids and ready states); the software radio is whether
// ModemManager has the modem enabled, the hardware radio whether no WWAN radio switch is
// hard-blocked. Every operation opens its own connection (an sd-bus connection belongs to one
// thread) and every wait on the bus has a deadline, so a missing or stuck bus makes the operation
// fail instead of hang. Radio requests (Modem.Enable) run on a worker thread of this object.
class ModemManagerBroadband final : public MobileBroadband {
public:
    struct Options {
        std::string busAddress;                              // empty: the system bus
        std::chrono::milliseconds queryTimeout{2000};        // connecting and each query
        std::chrono::milliseconds enableTimeout{30000};      // Modem.Enable: modems take seconds
        std::string rfkillPath = "/dev/rfkill";
    };

    explicit ModemManagerBroadband(Options options);
    ModemManagerBroadband();
    // Carries out the requests still queued, then stops the worker.
    ~ModemManagerBroadband() override;

    bool reachable() override;
    std::optional<std::vector<std::wstring>> interfaceIds() override;
    std::optional<int> readyState(const std::wstring& id) override;
    std::optional<bool> softwareRadio(const std::wstring& id) override;
    std::optional<bool> hardwareRadio(const std::wstring& id) override;
    std::optional<std::uint32_t> requestSoftwareRadio(const std::wstring& id, bool on, RadioCompletion done) override;

private:
    struct Modem {
        std::string path;
        std::wstring id;
        ModemManagerModem properties;
    };
    struct Request {
        std::string path;
        bool on;
        bool wasOn;
        std::uint32_t requestId;
        RadioCompletion done;
    };

    sd_bus* connect();
    std::optional<std::vector<Modem>> modems();
    std::optional<Modem> find(const std::wstring& id);
    void report(const std::string& problem);
    void carryOut(Request& request);

    Options options_;
    std::atomic<bool> reported_{false};
    std::atomic<std::uint32_t> lastRequestId_{0};

    RequestWorker worker_; // last: its jobs use the members above
};

} // namespace tarvik
