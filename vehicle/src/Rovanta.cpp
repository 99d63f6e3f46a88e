// The exports of libRovanta: the library's one port object and its settings, and the plain
// functions on top of the interpreter exchanges.
#include "Rovanta.h"

#include "BytePort.h"
#include "Diagnostic.h"
#include "OpeningSequence.h"
#include "Sleeper.h"
#include "Stn1110Exchange.h"
#include "TraceSink.h"
#include "VehicleReader.h"
#include "_sync_com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

using namespace tarvik::vehicle;

constexpr int kDefaultPort = 5;
constexpr int kDefaultBaud = 9600;
constexpr std::size_t kTextResultSize = 1024;
constexpr const char* kProtocolName = "SAEJ1939";

// The library's port, settings and a guard around each single port operation. The guard never
// spans an exchange: vVS_UnInit, called while the worker waits for the bus, closes the port between
// two polls and the exchange then runs into its time limit on a closed port, instead of reading
// from a descriptor that was closed (or already reused) under it.
struct Library {
    _sync_com port;
    std::mutex portGuard;
    int portNumber = kDefaultPort;
    int baudRate = kDefaultBaud;
};

Library& library()
{
    static Library instance;
    return instance;
}

class GuardedPort final : public BytePort {
public:
    explicit GuardedPort(Library& lib) : lib_(lib) {}
    int read(char* buffer, int size) override
    {
        std::lock_guard lock(lib_.portGuard);
        return lib_.port.read(buffer, size);
    }
    int write(const char* data, int length) override
    {
        std::lock_guard lock(lib_.portGuard);
        return lib_.port.write(data, length);
    }

private:
    Library& lib_;
};

class StdoutTrace final : public TraceSink {
public:
    void write(std::string_view text) override
    {
        // The texts are printed with "%s": a NUL from the line ends it, as it always has.
        tarvik::diagnostic("%s", std::string(text).c_str());
    }
};

// One call's worth of the protocol objects, on the process's sleeper (tests put theirs in front).
struct Session {
    GuardedPort port{library()};
    StdoutTrace trace;
    Stn1110Exchange exchange{port, tarvik::processSleeper(), trace};
    VehicleReader reader{exchange, trace};
};

int textResult(VehicleValue value, char** text)
{
    if (!text)
        return 0;
    Session session;
    const std::optional<int> v = session.reader.readText(value);
    if (!v)
        return 0;
    char buffer[kTextResultSize];
    std::snprintf(buffer, sizeof buffer, "%d", *v);
    char* copy = static_cast<char*>(std::malloc(std::strlen(buffer) + 1));
    if (!copy)
        return 0;
    std::strcpy(copy, buffer);
    *text = copy;
    return 1;
}

int longResult(VehicleValue value, long* out)
{
    if (!out)
        return 0;
    Session session;
    const std::optional<long> v = session.reader.readLong(value);
    if (!v)
        return 0;
    *out = *v;
    return 1;
}

} // namespace

extern "C" {

void vVS_SetPortNumber(int port)
{
    if (port > 0)
        library().portNumber = port;
}

void vVS_SetBaudRate(int baud)
{
    if (baud > 0)
        library().baudRate = baud;
}

int vVS_Init()
{
    Library& lib = library();
    {
        std::lock_guard lock(lib.portGuard);
        if (!runOpeningSequence(lib.port, lib.portNumber, lib.baudRate))
            return 0;
    }
    Session session;
    return session.reader.initialise() ? 1 : 0;
}

void vVS_UnInit()
{
    Library& lib = library();
    std::lock_guard lock(lib.portGuard);
    lib.port.close();
}

int vVS_ProtocolGet(const char* name) { return name && std::strcmp(name, kProtocolName) == 0 ? 1 : 0; }

int vVS_VehicleEngineedSpeed(char** text) { return textResult(VehicleValue::EngineSpeed, text); }
int vVS_VehicleSpeed(char** text) { return textResult(VehicleValue::VehicleSpeed, text); }
int vVS_VechicleTachographSpeed(char** text) { return textResult(VehicleValue::TachographSpeed, text); }

int vVS_VehicleOdometer(long* km) { return longResult(VehicleValue::Odometer, km); }
int vVS_VehicleTripDistance(long* km) { return longResult(VehicleValue::TripDistance, km); }
int vVS_VehicleFuelLoad(long* litres) { return longResult(VehicleValue::FuelUsed, litres); }
int vVS_VehicleBatteryVoltage(long* volts) { return longResult(VehicleValue::BatteryVoltage, volts); }

int vVS_VehicleTripIdleTime(float* hours)
{
    if (!hours)
        return 0;
    Session session;
    const std::optional<float> v = session.reader.readTripIdleHours();
    if (!v)
        return 0;
    *hours = *v;
    return 1;
}

int vVS_VechicleEngineCoolantAndFuelTemperature(long* coolant, long* fuel)
{
    if (!coolant || !fuel)
        return 0;
    Session session;
    const std::optional<Temperatures> v = session.reader.readTemperatures();
    if (!v)
        return 0;
    *coolant = v->coolant;
    *fuel = v->fuel;
    return 1;
}

int vVS_free(char* text)
{
    std::free(text);
    return 1;
}

} // extern "C"
