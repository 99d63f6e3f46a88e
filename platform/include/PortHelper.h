#pragma once

// The libraries' side of tarvik-portd, the privileged helper that carries out EC and CMOS
// transactions for processes that may not open /dev/port themselves (wire format: PortdWire.h).

#include "PortdWire.h"
#include "TarvikPlatformExport.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace tarvik {

// Where the helper listens: $TARVIK_PORTD_SOCKET, else /run/tarvik/portd.sock.
inline constexpr const char* kDefaultPortdSocket = "/run/tarvik/portd.sock";
TARVIK_PLATFORM_EXPORT std::string portdSocketPath();

// One connection to the helper, made on first use and made again when the helper went away (it
// exits when idle and socket activation starts it again). Thread-safe: one transaction at a time.
class TARVIK_PLATFORM_EXPORT PortHelperConnection {
public:
    explicit PortHelperConnection(std::string socketPath);
    ~PortHelperConnection();
    PortHelperConnection(const PortHelperConnection&) = delete;
    PortHelperConnection& operator=(const PortHelperConnection&) = delete;

    // Sends one request and waits for its answer, at most the transaction's own bound plus a margin
    // for the transactions of other clients queued before it. nullopt when the helper cannot be
    // reached, closes without an answer or answers too late (the connection is then dropped, so a
    // late answer is never taken for the next one's).
    std::optional<portd::Answer> exchange(portd::Request request);

    // Milliseconds of fixed waits the helper reported for this connection's transactions.
    std::uint64_t waitedMs() const { return waitedMs_.load(); }

    static constexpr unsigned kQueueMarginMs = 3000;

private:
    enum class Sent { Answered, Lost, Failed };
    Sent tryOnce(const portd::Request& request, portd::Answer& answer);
    bool connectNow();
    void drop();

    std::string path_;
    std::mutex mutex_;
    int fd_ = -1;
    std::uint16_t nextTag_ = 1;
    std::atomic<std::uint64_t> waitedMs_{0};
};

// The helper when this process reaches the EC through it, else nullptr (direct port access).
// Decided once: on the virtual board the helper is used when TARVIK_PORTD_SOCKET is set; on real
// hardware when /dev/port cannot be opened and the helper's socket exists.
TARVIK_PLATFORM_EXPORT PortHelperConnection* processPortHelper();

} // namespace tarvik
