#pragma once

#include "ComObject.h"
#include "SensorApi.h"
#include "SensorService.h"

namespace miravel {

// The entry to the sensor service (CLSID_SensorManager): searches by category, type or id, and
// permission requests, over the process's sensor service.
class SensorManager final : public ComObject<ISensorManager, IID_ISensorManager> {
public:
    // The class factory: fails with the service's error when the service may not be used (switched
    // off by policy), making no object.
    static HRESULT create(REFIID iid, void** object);

    HRESULT GetSensorsByCategory(REFGUID category, ISensorCollection** found) override;
    HRESULT GetSensorsByType(REFGUID type, ISensorCollection** found) override;
    HRESULT GetSensorByID(REFGUID id, ISensor** sensor) override;
    HRESULT RequestPermissions(HWND parent, ISensorCollection* sensors, BOOL modal) override;

private:
    explicit SensorManager(tarvik::SensorService& service) : service_(service) {}
    // Every sensor of the given categories that passes the filter, as a collection.
    template <class Filter>
    HRESULT search(std::initializer_list<tarvik::SensorCategory> categories, Filter filter, ISensorCollection** found);

    tarvik::SensorService& service_;
};

} // namespace miravel
