#pragma once

#include "SensorService.h"

#include <string>

namespace tarvik {

// Sensors of the Linux Industrial I/O subsystem (Documentation/ABI/testing/sysfs-bus-iio), read
// through sysfs under a root that tests replace with a tree of their own:
//   <root>/iio:deviceN/in_accel_{x,y,z}_raw   an accelerometer (a 2-D one when z is missing);
//                      value = (raw + offset) × scale in m/s², reported here in g;
//   <root>/iio:deviceN/in_temp_input          a temperature in milli-degrees Celsius, or
//   <root>/iio:deviceN/in_temp_raw            raw, with (raw + offset) × scale in milli-degrees.
// Scale and offset are per channel (in_accel_x_scale) or shared (in_accel_scale); a missing scale
// means the raw value is already in the channel's unit, a missing offset is 0. A device with both
// channels (an IMU with a die thermometer) gives two sensors. Ids are "iio:deviceN/accel" and
// "iio:deviceN/temp".
class LinuxSensorService final : public SensorService {
public:
    explicit LinuxSensorService(std::string iioRoot);

    SensorError connect() override;
    SensorError sensors(SensorCategory category, std::vector<SensorInfo>& out) override;
    SensorError state(const std::string& id, SensorState& out) override;
    SensorError requestPermission(const std::string& id, bool modal) override;
    SensorError read(const std::string& id, SensorReport& out) override;
    SensorPropertyResult setReportInterval(const std::string& id, std::uint32_t milliseconds) override;

private:
    std::string root_;
};

} // namespace tarvik
