#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvik {

// The operating system's sensor service as the sensor library needs it: the sensors of a category,
// their state and permission, one data report with its values, and the report interval. Errors are
// values (SensorError), never exceptions; the sensor library turns them into HRESULTs.

enum class SensorCategory : std::uint8_t {
    Motion,        // accelerometers
    Environmental, // temperature
};

enum class SensorKind : std::uint8_t {
    Accelerometer3D,
    Accelerometer2D, // X and Y only
    Temperature,
};

// The sensor states of the Windows sensor service, with its numbers.
enum class SensorState : std::int32_t {
    Ready = 0,
    NotAvailable = 1,
    NoData = 2,
    Initializing = 3,
    AccessDenied = 4,
    Error = 5,
};

// The values a report can carry; acceleration in g, temperature in degrees Celsius.
enum class SensorField : std::uint8_t {
    AccelerationX,
    AccelerationY,
    AccelerationZ,
    TemperatureCelsius,
};

enum class SensorError : std::uint8_t {
    None,
    NotFound,         // no such sensor (never was, or the list of a category is empty)
    Gone,             // the sensor was there and has disappeared
    AccessDenied,     // the user (or the file permissions) do not allow access
    Cancelled,        // a permission request was dismissed
    DisabledByPolicy, // the service is switched off for this machine or user
    ReadFailed,       // the device did not deliver (I/O error, unparsable value)
    NotSupported,     // the sensor has no such property
    InvalidValue,     // the property value is out of the sensor's range
};

struct SensorInfo {
    std::string id; // stable while the sensor is present, e.g. "iio:device0/accel"
    SensorCategory category;
    SensorKind kind;
    std::string name; // for people: the device's name
};

// One report: the fields the sensor delivered; a field it lacks is absent.
struct SensorReport {
    std::vector<std::pair<SensorField, double>> values;
};

// Setting a property: the call itself can fail (the sensor is gone), or it can be taken while the
// property is refused (the Windows S_FALSE case, with the property's own error).
struct SensorPropertyResult {
    SensorError call = SensorError::None;
    SensorError property = SensorError::None;
};

class SensorService {
public:
    virtual ~SensorService() = default;

    // Whether the service may be used at all: None, or DisabledByPolicy.
    virtual SensorError connect() = 0;

    // The sensors of a category present now, in a stable order; an empty list when there are none.
    // ReadFailed when the list cannot be made.
    virtual SensorError sensors(SensorCategory category, std::vector<SensorInfo>& out) = 0;

    // The state of a sensor; Gone (out untouched) when it is no longer present.
    virtual SensorError state(const std::string& id, SensorState& out) = 0;

    // Asks for access to a sensor. A modal request waits for the answer (AccessDenied or Cancelled
    // when refused); a request that is not modal only posts the question and succeeds.
    virtual SensorError requestPermission(const std::string& id, bool modal) = 0;

    // Takes one report. Gone, AccessDenied or ReadFailed leave out empty.
    virtual SensorError read(const std::string& id, SensorReport& out) = 0;

    // Sets the interval between reports; 0 asks for the sensor's default.
    virtual SensorPropertyResult setReportInterval(const std::string& id, std::uint32_t milliseconds) = 0;
};

// The process's sensor service: IIO under /sys/bus/iio/devices on real hardware, the board's
// sensors on the virtual board.
TARVIK_PLATFORM_EXPORT SensorService& processSensorService();

// Replaces the process's sensor service until called again with nullptr (tests only).
TARVIK_PLATFORM_EXPORT void overrideProcessSensorService(SensorService* service);

} // namespace tarvik
