// libFuzzer target for what the Quenmark service leaves in its reply frame, read by the board
// temperature's client. The first byte makes the service or its objects fail (no manager, no
// service, a frame or lock missing, a lock kept past its bound, a view that cannot be mapped; the
// second byte says at which access), the rest is the reply frame as each poll finds it, 8 bytes a
// poll (pending once the input runs out). Contract: no crash or undefined behaviour, a temperature
// only from the first answer that says so, one of the two failures otherwise, every lock taken
// released and every view unmapped, and no more waits than polls.
#include "Diagnostic.h"
#include "NamedObjects.h"
#include "QuenmarkProtocol.h"
#include "ServiceControl.h"
#include "Sleeper.h"
#include "TemperatureServiceClient.h"

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

// The client's diagnostic lines, formatted (so that a format and its arguments are checked) and
// dropped: the fuzzer's output stays readable and fast.
void tarvik::diagnostic(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
}

namespace {

enum Fault : std::uint8_t {
    kNoManager = 1,
    kNoService = 2,
    kNoFrame = 4,
    kNoLock = 8,
    kLockTimesOut = 16,
    kLockFails = 32,
    kNoView = 64,
};

struct Service {
    std::uint8_t faults = 0;
    unsigned failingAccess = 0; // the access (counted from 0) the lock and view faults hit
    const std::uint8_t* replies = nullptr;
    std::size_t replyBytes = 0;
    unsigned accesses = 0;
    int locksHeld = 0;
    int viewsMapped = 0;
    unsigned sleeps = 0;
    unsigned polls = 0;
    std::optional<quenmark::ReplyFrame> firstAnswer; // the first reply that was not pending

    bool hits(Fault f) const { return (faults & f) && accesses == failingAccess; }
};

class Memory final : public tarvik::NamedMemory {
public:
    Memory(Service& s, bool reply, bool writable) : s_(s), reply_(reply), writable_(writable) {}
    ~Memory() override
    {
        if (mapped_)
            std::abort(); // the client let a view go with its object, never unmapped
    }
    void* map(std::size_t size, int& error) override
    {
        if (s_.hits(kNoView) || size > sizeof bytes_) {
            error = ENOMEM;
            return nullptr;
        }
        if (reply_ && !writable_) {
            quenmark::ReplyFrame frame{quenmark::kStatusPending, 0};
            if (s_.replyBytes >= sizeof frame) {
                std::memcpy(&frame, s_.replies, sizeof frame);
                s_.replies += sizeof frame;
                s_.replyBytes -= sizeof frame;
            }
            ++s_.polls;
            if (frame.status != quenmark::kStatusPending && !s_.firstAnswer)
                s_.firstAnswer = frame;
            std::memcpy(bytes_, &frame, sizeof frame);
        }
        mapped_ = true;
        ++s_.viewsMapped;
        return bytes_;
    }
    void unmap() override
    {
        if (!mapped_)
            std::abort();
        mapped_ = false;
        --s_.viewsMapped;
    }

private:
    Service& s_;
    bool reply_;
    bool writable_;
    bool mapped_ = false;
    unsigned char bytes_[quenmark::kCommandFrameBytes] = {};
};

class Lock final : public tarvik::NamedLock {
public:
    explicit Lock(Service& s) : s_(s) {}
    tarvik::LockWait acquire() override
    {
        const bool timesOut = s_.hits(kLockTimesOut);
        const bool fails = s_.hits(kLockFails);
        ++s_.accesses;
        if (timesOut)
            return tarvik::LockWait::TimedOut;
        if (fails)
            return tarvik::LockWait::Failed;
        ++s_.locksHeld;
        return tarvik::LockWait::Acquired;
    }
    void release() override
    {
        if (--s_.locksHeld < 0)
            std::abort();
    }

private:
    Service& s_;
};

class Objects final : public tarvik::NamedObjects {
public:
    explicit Objects(Service& s) : s_(s) {}
    std::unique_ptr<tarvik::NamedMemory> openMemory(const std::string& name, bool writable, int& error) override
    {
        if (s_.hits(kNoFrame)) {
            ++s_.accesses;
            error = ENOENT;
            return nullptr;
        }
        return std::make_unique<Memory>(s_, name == quenmark::kReplyFrame, writable);
    }
    std::unique_ptr<tarvik::NamedLock> openLock(const std::string&, int& error) override
    {
        if (s_.hits(kNoLock)) {
            ++s_.accesses;
            error = ENOENT;
            return nullptr;
        }
        return std::make_unique<Lock>(s_);
    }
    std::unique_ptr<tarvik::NamedMemory> createMemory(const std::string&, std::size_t, int&) override { std::abort(); }
    std::unique_ptr<tarvik::NamedLock> createLock(const std::string&, int&) override { std::abort(); }

private:
    Service& s_;
};

class Services final : public tarvik::ServiceControl {
public:
    explicit Services(const Service& s) : s_(s) {}
    int openManager() override { return s_.faults & kNoManager ? EACCES : 0; }
    int openService(const std::string&) override { return s_.faults & kNoService ? ENOENT : 0; }
    int control(const std::string&, std::uint32_t) override { return 0; }
    std::unique_ptr<tarvik::ServiceEndpoint> listen(const std::string&, int&) override { std::abort(); }

private:
    const Service& s_;
};

class CountingSleeper final : public tarvik::Sleeper {
public:
    explicit CountingSleeper(Service& s) : s_(s) {}
    void sleepMs(unsigned ms) override
    {
        if (ms != miravel::TemperatureServiceClient::kPollDelayMs)
            std::abort();
        ++s_.sleeps;
    }

private:
    Service& s_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    Service s;
    s.faults = data[0];
    s.failingAccess = data[1] % 8;
    s.replies = data + 2;
    s.replyBytes = size - 2;

    Services services(s);
    Objects objects(s);
    CountingSleeper sleeper(s);
    miravel::TemperatureServiceClient client(services, objects, sleeper);
    float celsius = -1000.0f;
    std::int32_t error = 0;
    const int ok = client.read(&celsius, error);

    if (s.locksHeld != 0 || s.viewsMapped != 0)
        std::abort();
    if (s.sleeps > static_cast<unsigned>(miravel::TemperatureServiceClient::kPolls) || s.polls > s.sleeps)
        std::abort();
    if (ok == 1) {
        if (!s.firstAnswer || s.firstAnswer->status != quenmark::kStatusOk ||
            celsius != static_cast<float>(s.firstAnswer->value))
            std::abort();
    } else if (ok == 0) {
        if (error != miravel::TemperatureServiceClient::kErrorServiceMissing &&
            error != miravel::TemperatureServiceClient::kErrorNoReading)
            std::abort();
        if (celsius != -1000.0f)
            std::abort();
    } else {
        std::abort();
    }
    return 0;
}
