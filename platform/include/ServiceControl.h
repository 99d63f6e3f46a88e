#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvik {

// Outside services reached by name with a control code: the stand-in for the Windows service
// control manager. Results are 0 or the system's error number (errno).
class ServiceEndpoint;

class ServiceControl {
public:
    virtual ~ServiceControl() = default;

    // Whether services can be reached at all (the service manager is there).
    virtual int openManager() = 0;
    // Whether the named service is there and running.
    virtual int openService(const std::string& name) = 0;
    // Hands the service a control code; it acts on it in its own time.
    virtual int control(const std::string& name, std::uint32_t code) = 0;

    // The service's side: receives the codes sent to name while the endpoint lives.
    virtual std::unique_ptr<ServiceEndpoint> listen(const std::string& name, int& error) = 0;
};

class ServiceEndpoint {
public:
    virtual ~ServiceEndpoint() = default;
    // The next control code, or nullopt when none came within timeoutMs.
    virtual std::optional<std::uint32_t> receive(unsigned timeoutMs) = 0;
};

// The process's service manager: the virtual board's services, or the machine's.
TARVIK_PLATFORM_EXPORT ServiceControl& processServiceControl();
TARVIK_PLATFORM_EXPORT void overrideProcessServiceControl(ServiceControl* control);

// The service manager of the virtual board kept in dir (for the board's own simulated services).
TARVIK_PLATFORM_EXPORT std::unique_ptr<ServiceControl> serviceControlForBoard(const std::string& dir);

} // namespace tarvik
