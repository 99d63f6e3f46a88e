#include "ComRuntime.h"

#include "PortableDeviceValues.h"
#include "SensorErrors.h"
#include "SensorManager.h"

namespace miravel {

namespace {

thread_local int initialisations = 0;

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

HRESULT CoInitializeEx(void*, DWORD) { return initialisations++ == 0 ? S_OK : S_FALSE; }

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize()
{
    if (initialisations > 0)
        --initialisations;
}

int comInitialisations() { return initialisations; }

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return kHrNoAggregation;
    if (initialisations == 0)
        return kHrComNotInitialised;
    for (const ClassEntry& c : kClasses) {
        if (*c.clsid == clsid)
            return c.create(iid, object);
    }
    return kHrClassNotRegistered;
}

} // namespace miravel
