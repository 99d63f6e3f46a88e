#include "SensorCalls.h"

#include "ComObject.h"
#include "ComRuntime.h"
#include "Diagnostic.h"
#include "SensorErrors.h"

namespace miravel {

namespace {

constexpr BOOL kNotModal = 0;
constexpr BOOL kModal = 1;

void writeLine(const char* line)
{
    if (line)
        tarvik::diagnostic("%s", line);
}

// The sensor the search wants from the collection.
HRESULT pickSensor(const SensorSearch& search, ISensorCollection* collection, ULONG count, ISensor*& sensor)
{
    if (!search.type)
        return collection->GetAt(0, &sensor);
    for (ULONG i = 0; i < count && !sensor; ++i) {
        ISensor* candidate = nullptr;
        if (FAILED(collection->GetAt(i, &candidate)))
            continue;
        GUID type{};
        if (SUCCEEDED(candidate->GetType(&type)) && type == *search.type)
            sensor = candidate;
        else
            candidate->Release();
    }
    return sensor ? S_OK : E_UNEXPECTED;
}

} // namespace

HRESULT acquireSensor(REFGUID category, const SensorSearch& search, const SensorReferences& held)
{
    releaseSensorReferences(held);

    HRESULT hr = CoCreateInstance(CLSID_SensorManager, nullptr, CLSCTX_INPROC_SERVER, IID_ISensorManager,
                                  reinterpret_cast<void**>(&held.manager));
    // The policy error comes without a manager, so its line is written whether or not one came.
    if (hr == kHrDisabledByPolicy) {
        writeLine(search.policyLine);
        return hr;
    }
    if (!held.manager)
        return hr;
    hr = held.manager->GetSensorsByCategory(category, &held.collection);
    if (FAILED(hr))
        return hr;
    hr = held.manager->RequestPermissions(nullptr, held.collection, kNotModal);
    if (FAILED(hr))
        return hr;
    ULONG count = 0;
    hr = held.collection->GetCount(&count);
    if (FAILED(hr))
        return hr;
    if (count == 0) {
        writeLine(search.noSensorsLine);
        return E_UNEXPECTED;
    }
    hr = pickSensor(search, held.collection, count, held.sensor);
    if (FAILED(hr))
        return hr;

    SensorState state = SENSOR_STATE_ERROR;
    hr = held.sensor->GetState(&state);
    if (FAILED(hr))
        return hr;
    if (state == SENSOR_STATE_ACCESS_DENIED) {
        writeLine(search.deniedLine);
        hr = held.manager->RequestPermissions(nullptr, held.collection, kModal);
        if (hr == E_ACCESSDENIED || hr == kHrCancelled)
            writeLine(search.refusedLines);
        if (FAILED(hr))
            return hr;
    }
    return held.sensor->GetData(&held.report);
}

void releaseSensorReferences(const SensorReferences& held)
{
    releaseAndClear(held.report);
    releaseAndClear(held.sensor);
    releaseAndClear(held.collection);
    releaseAndClear(held.manager);
}

void takeComInitialisation(DWORD coInit, int& taken)
{
    if (SUCCEEDED(CoInitializeEx(nullptr, coInit)))
        ++taken;
}

void giveBackComInitialisation(int& taken)
{
    if (taken == 0)
        return;
    --taken;
    CoUninitialize();
}

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

HRESULT letGoOfSensor(ISensor*& sensor, int& comTaken)
{
    HRESULT hr = E_POINTER;
    if (sensor) {
        hr = sensor->SetEventSink(nullptr);
        releaseAndClear(sensor);
    }
    giveBackComInitialisation(comTaken);
    return hr;
}

void finishWithSensor(const SensorReferences& held, int& comTaken)
{
    if (held.sensor)
        held.sensor->SetEventSink(nullptr);
    releaseSensorReferences(held);
    giveBackComInitialisation(comTaken);
}

HRESULT setSensorEventSink(ISensor* sensor, ISensorEvents* events)
{
    if (!events)
        return S_OK;
    if (!sensor)
        return E_INVALIDARG;
    return sensor->SetEventSink(events);
}

} // namespace miravel
