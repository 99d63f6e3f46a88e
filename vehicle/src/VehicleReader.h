#pragma once

#include "VehicleValueTable.h"

#include <optional>
#include <string>

namespace tarvik::vehicle {

class Stn1110Exchange;
class TraceSink;

struct Temperatures {
    long coolant;
    long fuel;
};

// Initialises the interpreter and fetches values: monitor the value's parameter group, take the
// first data line, stop the monitoring, decode. Nothing is cached; every call goes to the bus.
class VehicleReader {
public:
    VehicleReader(Stn1110Exchange& exchange, TraceSink& trace);

    // The initialisation commands, each answered by the prompt; stops at the first that is not.
    bool initialise();

    // Values whose result is a decimal text (engine, vehicle and tachograph speed).
    std::optional<int> readText(VehicleValue value);
    // Values whose result is a long (odometer, trip distance, fuel used, battery voltage).
    std::optional<long> readLong(VehicleValue value);
    std::optional<float> readTripIdleHours();
    std::optional<Temperatures> readTemperatures();

private:
    std::optional<std::string> fetchLine(const ValueRequest& request);
    // One value's line, its fields as one number, and the monitoring stopped.
    std::optional<long> readField(const ValueRequest& request);
    // The fields' raw value; none for a line without them or with the not-available code.
    std::optional<long> extract(const std::string& line, int first, int last);
    void stopMonitoring();
    // Ends the monitoring and names the command that gave no value.
    void fail(const ValueRequest& request);

    Stn1110Exchange& exchange_;
    TraceSink& trace_;
};

} // namespace tarvik::vehicle
