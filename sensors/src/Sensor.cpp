#include "Sensor.h"

#include "ComRuntime.h"
#include "SensorDataReport.h"
#include "SensorErrors.h"

namespace miravel {

using tarvik::SensorError;

GUID categoryGuid(tarvik::SensorCategory category)
{
    return category == tarvik::SensorCategory::Motion ? SENSOR_CATEGORY_MOTION : SENSOR_CATEGORY_ENVIRONMENTAL;
}

GUID kindGuid(tarvik::SensorKind kind)
{
    switch (kind) {
    case tarvik::SensorKind::Accelerometer3D:
        return SENSOR_TYPE_ACCELEROMETER_3D;
    case tarvik::SensorKind::Accelerometer2D:
        return SENSOR_TYPE_ACCELEROMETER_2D;
    case tarvik::SensorKind::Temperature:
        break;
    }
    return SENSOR_TYPE_ENVIRONMENTAL_TEMPERATURE;
}

Sensor::Sensor(tarvik::SensorService& service, tarvik::SensorInfo info) : service_(service), info_(std::move(info)) {}

Sensor::~Sensor() { releaseAndClear(sink_); }

GUID Sensor::idToGuid(const std::string& id)
{
    // Two 64-bit FNV-1a hashes of the id (different offsets) fill the 16 bytes.
    auto fnv = [&](std::uint64_t hash) {
        for (unsigned char c : id) {
            hash ^= c;
            hash *= 0x100000001b3ULL;
        }
        return hash;
    };
    const std::uint64_t a = fnv(0xcbf29ce484222325ULL);
    const std::uint64_t b = fnv(0x84222325cbf29ce4ULL);
    GUID g{};
    g.Data1 = static_cast<std::uint32_t>(a >> 32);
    g.Data2 = static_cast<std::uint16_t>(a >> 16);
    g.Data3 = static_cast<std::uint16_t>(a);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = static_cast<std::uint8_t>(b >> (8 * (7 - i)));
    return g;
}

HRESULT Sensor::GetID(GUID* id)
{
    if (!id)
        return E_POINTER;
    tarvik::SensorState state{};
    if (const SensorError e = service_.state(info_.id, state); e != SensorError::None)
        return hresultOf(e);
    *id = idToGuid(info_.id);
    return S_OK;
}

HRESULT Sensor::GetCategory(GUID* category)
{
    if (!category)
        return E_POINTER;
    *category = categoryGuid(info_.category);
    return S_OK;
}

HRESULT Sensor::GetType(GUID* type)
{
    if (!type)
        return E_POINTER;
    *type = kindGuid(info_.kind);
    return S_OK;
}

HRESULT Sensor::GetState(SensorState* state)
{
    if (!state)
        return E_POINTER;
    tarvik::SensorState s{};
    if (const SensorError e = service_.state(info_.id, s); e != SensorError::None)
        return hresultOf(e);
    *state = static_cast<SensorState>(static_cast<std::int32_t>(s));
    return S_OK;
}

HRESULT Sensor::GetData(ISensorDataReport** report)
{
    if (!report)
        return E_POINTER;
    *report = nullptr;
    tarvik::SensorReport values;
    if (const SensorError e = service_.read(info_.id, values); e != SensorError::None)
        return hresultOf(e);
    *report = new SensorDataReport(values);
    return S_OK;
}

HRESULT Sensor::SetProperties(IPortableDeviceValues* values, IPortableDeviceValues** results)
{
    if (!values)
        return E_POINTER;
    if (results)
        *results = nullptr;
    IPortableDeviceValues* out = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_PortableDeviceValues, nullptr, CLSCTX_INPROC_SERVER, IID_IPortableDeviceValues,
                                  reinterpret_cast<void**>(&out));
    if (FAILED(hr))
        return hr;
    DWORD count = 0;
    values->GetCount(&count);
    bool refused = false;
    for (DWORD i = 0; i < count; ++i) {
        PROPERTYKEY key{};
        PROPVARIANT value;
        if (FAILED(values->GetAt(i, &key, &value)))
            continue;
        HRESULT property = kHrNotSupported;
        if (key == SENSOR_PROPERTY_CURRENT_REPORT_INTERVAL) {
            if (value.vt != VT_UI4) {
                property = E_INVALIDARG;
            } else {
                const tarvik::SensorPropertyResult r = service_.setReportInterval(info_.id, value.ulVal);
                if (r.call != SensorError::None) {
                    out->Release();
                    return hresultOf(r.call);
                }
                property = hresultOf(r.property);
            }
        }
        refused = refused || FAILED(property);
        out->SetErrorValue(key, property);
    }
    if (results)
        *results = out;
    else
        out->Release();
    return refused ? S_FALSE : S_OK;
}

HRESULT Sensor::SetEventSink(ISensorEvents* events)
{
    if (events)
        events->AddRef();
    releaseAndClear(sink_);
    sink_ = events;
    return S_OK;
}

} // namespace miravel
