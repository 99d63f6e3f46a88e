#pragma once

#include "ComObject.h"
#include "SensorApi.h"
#include "SensorService.h"

namespace miravel {

// One sensor of the platform's sensor service. Identity, category and type are fixed when the
// object is made; state, data and properties are asked of the service at each call, so a sensor
// that disappears fails from then on. The event sink is held until replaced; the service has no
// notifications, so it is never called: callers read reports with GetData.
class Sensor final : public ComObject<ISensor, IID_ISensor> {
public:
    Sensor(tarvik::SensorService& service, tarvik::SensorInfo info);

    // The GUID a service id stands for: the same for the same id in every process.
    static GUID idToGuid(const std::string& id);
    const std::string& serviceId() const { return info_.id; }

    HRESULT GetID(GUID* id) override;
    HRESULT GetCategory(GUID* category) override;
    HRESULT GetType(GUID* type) override;
    HRESULT GetState(SensorState* state) override;
    HRESULT GetData(ISensorDataReport** report) override;
    HRESULT SetProperties(IPortableDeviceValues* values, IPortableDeviceValues** results) override;
    HRESULT SetEventSink(ISensorEvents* events) override;

private:
    ~Sensor() override;

    tarvik::SensorService& service_;
    tarvik::SensorInfo info_;
    ISensorEvents* sink_ = nullptr;
};

// The GUIDs of the service's categories and kinds.
GUID categoryGuid(tarvik::SensorCategory category);
GUID kindGuid(tarvik::SensorKind kind);

} // namespace miravel
