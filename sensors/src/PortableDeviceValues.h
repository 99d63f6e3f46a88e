#pragma once

#include "ComObject.h"
#include "SensorApi.h"

#include <utility>
#include <vector>

namespace miravel {

// A property set in insertion order; setting a key again replaces its value.
class PortableDeviceValues final : public ComObject<IPortableDeviceValues, IID_IPortableDeviceValues> {
public:
    static HRESULT create(REFIID iid, void** object);

    HRESULT GetCount(DWORD* count) override;
    HRESULT GetAt(DWORD index, PROPERTYKEY* key, PROPVARIANT* value) override;
    HRESULT SetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG value) override;
    HRESULT GetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG* value) override;
    HRESULT SetErrorValue(REFPROPERTYKEY key, HRESULT value) override;
    HRESULT GetErrorValue(REFPROPERTYKEY key, HRESULT* value) override;

private:
    void set(REFPROPERTYKEY key, const PROPVARIANT& value);
    const PROPVARIANT* find(REFPROPERTYKEY key) const;

    std::vector<std::pair<PROPERTYKEY, PROPVARIANT>> values_;
};

} // namespace miravel
