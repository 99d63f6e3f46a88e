#include "PortableDeviceValues.h"

#include "SensorErrors.h"

namespace miravel {

HRESULT PortableDeviceValues::create(REFIID iid, void** object)
{
    auto* values = new PortableDeviceValues();
    const HRESULT hr = values->QueryInterface(iid, object);
    values->Release();
    return hr;
}

HRESULT PortableDeviceValues::GetCount(DWORD* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<DWORD>(values_.size());
    return S_OK;
}

HRESULT PortableDeviceValues::GetAt(DWORD index, PROPERTYKEY* key, PROPVARIANT* value)
{
    if (index >= values_.size())
        return E_INVALIDARG;
    if (key)
        *key = values_[index].first;
    if (value)
        *value = values_[index].second;
    return S_OK;
}

void PortableDeviceValues::set(REFPROPERTYKEY key, const PROPVARIANT& value)
{
    for (auto& [k, v] : values_) {
        if (k == key) {
            v = value;
            return;
        }
    }
    values_.emplace_back(key, value);
}

const PROPVARIANT* PortableDeviceValues::find(REFPROPERTYKEY key) const
{
    for (const auto& [k, v] : values_) {
        if (k == key)
            return &v;
    }
    return nullptr;
}

HRESULT PortableDeviceValues::SetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG value)
{
    PROPVARIANT v;
    v.vt = VT_UI4;
    v.ulVal = value;
    set(key, v);
    return S_OK;
}

HRESULT PortableDeviceValues::GetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG* value)
{
    if (!value)
        return E_POINTER;
    const PROPVARIANT* v = find(key);
    if (!v)
        return kHrNotFound;
    if (v->vt != VT_UI4)
        return kHrTypeMismatch;
    *value = v->ulVal;
    return S_OK;
}

HRESULT PortableDeviceValues::SetErrorValue(REFPROPERTYKEY key, HRESULT value)
{
    PROPVARIANT v;
    v.vt = VT_ERROR;
    v.scode = value;
    set(key, v);
    return S_OK;
}

HRESULT PortableDeviceValues::GetErrorValue(REFPROPERTYKEY key, HRESULT* value)
{
    if (!value)
        return E_POINTER;
    const PROPVARIANT* v = find(key);
    if (!v)
        return kHrNotFound;
    if (v->vt != VT_ERROR)
        return kHrTypeMismatch;
    *value = v->scode;
    return S_OK;
}

} // namespace miravel
