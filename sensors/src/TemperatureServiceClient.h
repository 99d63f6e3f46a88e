#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvik {
class NamedObjects;
class ServiceControl;
class Sleeper;
} // namespace tarvik

namespace miravel {

// The CPU temperature from the outside Quenmark service: mark the reply frame, write the command
// frame, send the service its control code, then poll the reply frame (up to 100 times, 10 ms
// apart) until the service sets a status. Each frame access holds the frame's named lock.
class TemperatureServiceClient {
public:
    static constexpr int kPolls = 100;
    static constexpr unsigned kPollDelayMs = 10;
    static constexpr std::int32_t kErrorServiceMissing = static_cast<std::int32_t>(0x80030004);
    static constexpr std::int32_t kErrorNoReading = static_cast<std::int32_t>(0x80030005);

    TemperatureServiceClient(tarvik::ServiceControl& services, tarvik::NamedObjects& objects, tarvik::Sleeper& sleeper)
        : services_(services), objects_(objects), sleeper_(sleeper)
    {
    }

    // 1 with the temperature; 0 with error set to one of the codes above (and a diagnostic line).
    int read(float* celsius, std::int32_t& error);

private:
    bool accessFrame(const char* frame, const char* lock, void* bytes, std::size_t size, bool write);
    bool serviceReachable(bool reportFailure);

    tarvik::ServiceControl& services_;
    tarvik::NamedObjects& objects_;
    tarvik::Sleeper& sleeper_;
};

} // namespace miravel
