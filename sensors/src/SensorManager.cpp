#include "SensorManager.h"

#include "Sensor.h"
#include "SensorCollection.h"
#include "SensorErrors.h"

namespace miravel {

using tarvik::SensorCategory;
using tarvik::SensorError;

namespace {
constexpr std::initializer_list<SensorCategory> kAllCategories = {SensorCategory::Motion, SensorCategory::Environmental};
}

HRESULT SensorManager::create(REFIID iid, void** object)
{
    tarvik::SensorService& service = tarvik::processSensorService();
    if (const SensorError e = service.connect(); e != SensorError::None)
        return hresultOf(e);
    auto* manager = new SensorManager(service);
    const HRESULT hr = manager->QueryInterface(iid, object);
    manager->Release();
    return hr;
}

template <class Filter>
HRESULT SensorManager::search(std::initializer_list<SensorCategory> categories, Filter filter, ISensorCollection** found)
{
    if (!found)
        return E_POINTER;
    *found = nullptr;
    auto* collection = new SensorCollection();
    for (SensorCategory category : categories) {
        std::vector<tarvik::SensorInfo> infos;
        if (const SensorError e = service_.sensors(category, infos); e != SensorError::None) {
            collection->Release();
            return hresultOf(e);
        }
        for (tarvik::SensorInfo& info : infos) {
            if (filter(info))
                collection->adopt(new Sensor(service_, std::move(info)));
        }
    }
    *found = collection;
    return S_OK;
}

HRESULT SensorManager::GetSensorsByCategory(REFGUID category, ISensorCollection** found)
{
    for (SensorCategory c : kAllCategories) {
        if (categoryGuid(c) == category)
            return search({c}, [](const tarvik::SensorInfo&) { return true; }, found);
    }
    // A category this machine has no sensors of.
    return search({}, [](const tarvik::SensorInfo&) { return true; }, found);
}

HRESULT SensorManager::GetSensorsByType(REFGUID type, ISensorCollection** found)
{
    return search(kAllCategories, [&](const tarvik::SensorInfo& info) { return kindGuid(info.kind) == type; }, found);
}

HRESULT SensorManager::GetSensorByID(REFGUID id, ISensor** sensor)
{
    if (!sensor)
        return E_POINTER;
    *sensor = nullptr;
    ISensorCollection* found = nullptr;
    const HRESULT hr =
        search(kAllCategories, [&](const tarvik::SensorInfo& info) { return Sensor::idToGuid(info.id) == id; }, &found);
    if (FAILED(hr))
        return hr;
    ULONG count = 0;
    found->GetCount(&count);
    const HRESULT got = count > 0 ? found->GetAt(0, sensor) : kHrNotFound;
    found->Release();
    return got;
}

HRESULT SensorManager::RequestPermissions(HWND, ISensorCollection* sensors, BOOL modal)
{
    if (!sensors)
        return E_POINTER;
    ULONG count = 0;
    if (const HRESULT hr = sensors->GetCount(&count); FAILED(hr))
        return hr;
    for (ULONG i = 0; i < count; ++i) {
        ISensor* sensor = nullptr;
        if (FAILED(sensors->GetAt(i, &sensor)))
            continue;
        // Only sensors this service made carry a service id.
        auto* ours = dynamic_cast<Sensor*>(sensor);
        const SensorError e = ours ? service_.requestPermission(ours->serviceId(), modal != 0) : SensorError::InvalidValue;
        sensor->Release();
        if (e != SensorError::None)
            return hresultOf(e);
    }
    return S_OK;
}

} // namespace miravel
