#include "SensorCalls.h"

#include "ComObject.h"
#include "ComRuntime.h"
#include "Diagnostic.h"

namespace miravel {

HRESULT applyReportInterval(ISensor* sensor, ULONG milliseconds)
{
    if (!sensor)
        return E_INVALIDARG;
    IPortableDeviceValues* values = nullptr;
    IPortableDeviceValues* results = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_PortableDeviceValues, nullptr, CLSCTX_INPROC_SERVER, IID_IPortableDeviceValues,
                                  reinterpret_cast<void**>(&values));
    if (SUCCEEDED(hr))
        hr = values->SetUnsignedIntegerValue(SENSOR_PROPERTY_CURRENT_REPORT_INTERVAL, milliseconds);
    if (SUCCEEDED(hr))
        hr = sensor->SetProperties(values, &results);
    if (hr == S_FALSE) {
        HRESULT refused = S_OK;
        hr = results->GetErrorValue(SENSOR_PROPERTY_CURRENT_REPORT_INTERVAL, &refused);
        if (SUCCEEDED(hr)) {
            tarvik::diagnostic("\nSetting current report interval failed with error 0x%X\n", static_cast<unsigned>(refused));
            hr = refused;
        }
    }
    // Both sets are given back on every path (one pair would otherwise be lost per call).
    releaseAndClear(values);
    releaseAndClear(results);
    return hr;
}

HRESULT letGoOfSensor(ISensor*& sensor)
{
    if (!sensor) {
        CoUninitialize();
        return E_POINTER;
    }
    const HRESULT hr = sensor->SetEventSink(nullptr);
    releaseAndClear(sensor);
    CoUninitialize();
    return hr;
}

} // namespace miravel
