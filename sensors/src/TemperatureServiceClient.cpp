#include "TemperatureServiceClient.h"

#include "Diagnostic.h"
#include "NamedObjects.h"
#include "QuenmarkProtocol.h"
#include "ServiceControl.h"
#include "Sleeper.h"

#include <cstring>

namespace miravel {

using tarvik::diagnostic;

namespace {

// The results a Windows wait reports, for the diagnostic line.
constexpr int kWaitTimeout = 258;
constexpr int kWaitFailed = -1;

} // namespace

bool TemperatureServiceClient::serviceReachable(bool reportFailure)
{
    if (const int error = services_.openManager(); error != 0) {
        if (reportFailure)
            diagnostic("OpenSCManager failed w/err 0x%08lx\n", static_cast<unsigned long>(error));
        return false;
    }
    if (const int error = services_.openService(quenmark::kServiceName); error != 0) {
        if (reportFailure)
            diagnostic("OpenService failed w/err 0x%08lx\n", static_cast<unsigned long>(error));
        return false;
    }
    return true;
}

bool TemperatureServiceClient::accessFrame(const char* frame, const char* lock, void* bytes, std::size_t size, bool write)
{
    int error = 0;
    auto memory = objects_.openMemory(frame, write, error);
    if (!memory) {
        diagnostic("Could not open file mapping object (%d).\n", error);
        return false;
    }
    auto mutex = objects_.openLock(lock, error);
    if (!mutex) {
        diagnostic("Could not open mutex object (%d).\n", error);
        return false;
    }
    if (const tarvik::LockWait waited = mutex->acquire(); waited != tarvik::LockWait::Acquired) {
        diagnostic("WaitForSingleObject return (%d).\n", waited == tarvik::LockWait::TimedOut ? kWaitTimeout : kWaitFailed);
        return false;
    }
    void* view = memory->map(size, error);
    if (!view) {
        diagnostic("Could not map view of file (%d).\n", error);
        mutex->release(); // else the service could never take its frame again
        return false;
    }
    if (write)
        std::memcpy(view, bytes, size);
    else
        std::memcpy(bytes, view, size);
    memory->unmap();
    mutex->release();
    return true;
}

int TemperatureServiceClient::read(float* celsius, std::int32_t& error)
{
    if (!serviceReachable(true)) {
        error = kErrorServiceMissing;
        return 0;
    }

    quenmark::ReplyFrame marker = quenmark::kRequestMarker;
    if (!accessFrame(quenmark::kReplyFrame, quenmark::kReplyLock, &marker, sizeof marker, true)) {
        diagnostic("Failed to access shared memory: %s\n", quenmark::kReplyFrame);
        error = kErrorNoReading;
        return 0;
    }

    quenmark::CommandFrame command{};
    std::size_t n = 0;
    for (; quenmark::kCommandText[n] != u'\0' && n < quenmark::kCommandMaxChars; ++n)
        command.text[n] = quenmark::kCommandText[n];
    if (accessFrame(quenmark::kCommandFrame, quenmark::kCommandLock, &command, sizeof command, true)) {
        // A service that went away in between simply never answers; the polls below tell.
        if (serviceReachable(false))
            services_.control(quenmark::kServiceName, quenmark::kControlCode);
    } else {
        diagnostic("Failed to access shared memory: %s\n", quenmark::kCommandFrame);
    }

    quenmark::ReplyFrame reply{};
    for (int poll = 0; poll < kPolls; ++poll) {
        sleeper_.sleepMs(kPollDelayMs);
        if (!accessFrame(quenmark::kReplyFrame, quenmark::kReplyLock, &reply, sizeof reply, false)) {
            diagnostic("Failed to access shared memory: %s\n", quenmark::kReplyFrame);
            error = kErrorNoReading;
            return 0;
        }
        if (reply.status != quenmark::kStatusPending)
            break;
    }
    if (reply.status != quenmark::kStatusOk) {
        diagnostic("Failed to get CPU Temperature, err = 0x%08X\n", static_cast<unsigned>(reply.status));
        error = kErrorNoReading;
        return 0;
    }
    *celsius = static_cast<float>(reply.value);
    return 1;
}

} // namespace miravel
