#pragma once

#include "SensorService.h"
#include "TestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tarvik::test {

using SensorServiceOverride = SeamOverride<SensorService, overrideProcessSensorService>;

// A sensor service held in memory, with the controls a test needs: sensors to add and remove,
// states, whether a modal permission request is granted, what setting the interval gives.
class FakeSensorService final : public SensorService {
public:
    struct Sensor {
        SensorInfo info;
        SensorState state = SensorState::Ready;
        SensorReport report;
        bool grantOnModalRequest = false;
        SensorPropertyResult intervalResult{};
        std::uint32_t intervalMs = 0;
    };

    std::vector<Sensor> present;
    SensorError connectResult = SensorError::None;
    SensorError listResult = SensorError::None;
    int reads = 0;
    int modalRequests = 0;

    Sensor& add(SensorInfo info)
    {
        Sensor s;
        s.info = std::move(info);
        present.push_back(s);
        return present.back();
    }
    Sensor& addAccelerometer(const std::string& id, double x, double y, double z)
    {
        add({id, SensorCategory::Motion, SensorKind::Accelerometer3D, "fake 3-D"});
        present.back().report.values = {{SensorField::AccelerationX, x}, {SensorField::AccelerationY, y}, {SensorField::AccelerationZ, z}};
        return present.back();
    }
    Sensor& addAccelerometer2d(const std::string& id, double x, double y)
    {
        add({id, SensorCategory::Motion, SensorKind::Accelerometer2D, "fake 2-D"});
        present.back().report.values = {{SensorField::AccelerationX, x}, {SensorField::AccelerationY, y}};
        return present.back();
    }
    Sensor& addThermometer(const std::string& id, double celsius)
    {
        add({id, SensorCategory::Environmental, SensorKind::Temperature, "fake thermometer"});
        present.back().report.values = {{SensorField::TemperatureCelsius, celsius}};
        return present.back();
    }
    void remove(const std::string& id)
    {
        present.erase(std::remove_if(present.begin(), present.end(), [&](const Sensor& s) { return s.info.id == id; }),
                      present.end());
    }
    Sensor* find(const std::string& id)
    {
        for (Sensor& s : present) {
            if (s.info.id == id)
                return &s;
        }
        return nullptr;
    }

    SensorError connect() override { return connectResult; }
    SensorError sensors(SensorCategory category, std::vector<SensorInfo>& out) override
    {
        out.clear();
        if (listResult != SensorError::None)
            return listResult;
        for (const Sensor& s : present) {
            if (s.info.category == category)
                out.push_back(s.info);
        }
        return SensorError::None;
    }
    SensorError state(const std::string& id, SensorState& out) override
    {
        Sensor* s = find(id);
        if (!s)
            return SensorError::Gone;
        out = s->state;
        return SensorError::None;
    }
    SensorError requestPermission(const std::string& id, bool modal) override
    {
        Sensor* s = find(id);
        if (!s)
            return SensorError::Gone;
        if (!modal || s->state != SensorState::AccessDenied)
            return SensorError::None;
        ++modalRequests;
        if (!s->grantOnModalRequest)
            return SensorError::AccessDenied;
        s->state = SensorState::Ready;
        return SensorError::None;
    }
    SensorError read(const std::string& id, SensorReport& out) override
    {
        out.values.clear();
        Sensor* s = find(id);
        if (!s)
            return SensorError::Gone;
        if (s->state == SensorState::AccessDenied)
            return SensorError::AccessDenied;
        ++reads;
        out = s->report;
        return SensorError::None;
    }
    SensorPropertyResult setReportInterval(const std::string& id, std::uint32_t milliseconds) override
    {
        Sensor* s = find(id);
        if (!s)
            return {SensorError::Gone, SensorError::None};
        if (s->intervalResult.call == SensorError::None && s->intervalResult.property == SensorError::None)
            s->intervalMs = milliseconds;
        return s->intervalResult;
    }
};

} // namespace tarvik::test
