#pragma once

#include "ServiceControl.h"

#include <string>

namespace tarvik {

// Services as Unix datagram sockets in one folder: the folder is the service manager, the socket
// <folder>/<name>.sock the service, a datagram of one 32-bit code (host byte order) a control.
// A service that stopped without cleaning up leaves a socket nobody listens on, which refuses
// connections; so "the service is there" means "a connect succeeds", as a stopped Windows service
// refuses controls. Datagrams keep controls whole; a control is sent without blocking, so a
// service that stopped reading cannot hold up its caller.
class UnixServiceControl final : public ServiceControl {
public:
    explicit UnixServiceControl(std::string folder);

    int openManager() override;
    int openService(const std::string& name) override;
    int control(const std::string& name, std::uint32_t code) override;
    std::unique_ptr<ServiceEndpoint> listen(const std::string& name, int& error) override;

    std::string socketPath(const std::string& name) const;

private:
    int connectTo(const std::string& name, int& fd) const;

    std::string folder_;
};

} // namespace tarvik
