#pragma once

#include <cstddef>
#include <sys/types.h>
#include <vector>

namespace tarvik {
class PortIo;
class Sleeper;
}

namespace tarvik::portd {

struct ServerOptions {
    std::vector<int> listenFds;  // listening Unix stream sockets
    bool groupKnown = false;     // without a group only root is served
    gid_t group = 0;             // members (primary or supplementary) may ask
    int idleExitMs = 30000;      // no request for this long: exit (0: never)
    std::size_t maxClients = 128;
    int partialRequestMs = 1000; // a request begun must be complete within this
    int quietCloseMs = 10000;    // a connection with no request for this long is closed
};

// Serves requests until idle: one poll loop, one transaction at a time (so transactions of
// different clients never interleave), every client bounded by its deadlines and the number of
// clients bounded, so vanishing, slow, flooding or garbage-sending clients cannot hold it.
// Returns the process's exit status.
int serve(const ServerOptions& options, PortIo& ports, Sleeper& sleeper);

// Whether a peer with these credentials may ask: root, or a member of the group.
bool peerAllowed(int fd, const ServerOptions& options);

} // namespace tarvik::portd
