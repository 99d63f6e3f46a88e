#include "SensorCollection.h"

namespace miravel {

SensorCollection::~SensorCollection()
{
    for (ISensor* s : sensors_)
        s->Release();
}

HRESULT SensorCollection::GetAt(ULONG index, ISensor** sensor)
{
    if (!sensor)
        return E_POINTER;
    *sensor = nullptr;
    if (index >= sensors_.size())
        return E_INVALIDARG;
    *sensor = sensors_[index];
    (*sensor)->AddRef();
    return S_OK;
}

HRESULT SensorCollection::GetCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<ULONG>(sensors_.size());
    return S_OK;
}

} // namespace miravel
