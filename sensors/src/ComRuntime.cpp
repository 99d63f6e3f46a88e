#include "ComRuntime.h"

#include "PortableDeviceValues.h"
#include "SensorErrors.h"
#include "SensorManager.h"

namespace miravel {

namespace {

// The classes this library can make, by class id.
struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*create)(REFIID iid, void** object);
};
constexpr ClassEntry kClasses[] = {
    {&CLSID_SensorManager, SensorManager::create},
    {&CLSID_PortableDeviceValues, PortableDeviceValues::create},
};

} // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return kHrNoAggregation;
    if (tarvik::comApartmentDepth() == 0)
        return kHrComNotInitialised;
    for (const ClassEntry& c : kClasses) {
        if (*c.clsid == clsid)
            return c.create(iid, object);
    }
    return kHrClassNotRegistered;
}

} // namespace miravel
