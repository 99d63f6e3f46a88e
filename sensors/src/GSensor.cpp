#include "Miravel.h"

#include "ComObject.h"
#include "ComRuntime.h"
#include "Diagnostic.h"
#include "SensorCalls.h"
#include "SensorErrors.h"

using miravel::releaseAndClear;
using tarvik::diagnostic;

GSensor::GSensor() : m_pCategory(&SENSOR_CATEGORY_MOTION) { initSensor(); }

GSensor::~GSensor()
{
    if (m_pSensor)
        m_pSensor->SetEventSink(nullptr);
    releaseReferences();
    miravel::CoUninitialize();
}

void GSensor::releaseReferences()
{
    releaseAndClear(m_pDataReport);
    releaseAndClear(m_pSensor);
    releaseAndClear(m_pSensorCollection);
    releaseAndClear(m_pSensorManager);
}

HRESULT GSensor::initSensor()
{
    miravel::CoInitializeEx(nullptr, miravel::COINIT_MULTITHREADED);
    // What the previous call left behind is let go here, so a caller that renews the sensor on
    // every reading holds one set of references, not one per reading.
    releaseReferences();

    HRESULT hr = miravel::CoCreateInstance(CLSID_SensorManager, nullptr, miravel::CLSCTX_INPROC_SERVER,
                                           IID_ISensorManager, reinterpret_cast<void**>(&m_pSensorManager));
    if (!m_pSensorManager || hr == miravel::kHrDisabledByPolicy)
        return hr;
    hr = m_pSensorManager->GetSensorsByCategory(*m_pCategory, &m_pSensorCollection);
    if (FAILED(hr))
        return hr;
    hr = m_pSensorManager->RequestPermissions(nullptr, m_pSensorCollection, 0);
    if (FAILED(hr))
        return hr;
    ULONG count = 0;
    hr = m_pSensorCollection->GetCount(&count);
    if (FAILED(hr))
        return hr;
    if (count == 0)
        return E_UNEXPECTED;

    for (ULONG i = 0; i < count && !m_pSensor; ++i) {
        ISensor* candidate = nullptr;
        if (FAILED(m_pSensorCollection->GetAt(i, &candidate)))
            continue;
        GUID type{};
        if (SUCCEEDED(candidate->GetType(&type)) && type == SENSOR_TYPE_ACCELEROMETER_3D)
            m_pSensor = candidate;
        else
            candidate->Release();
    }
    if (!m_pSensor)
        return E_UNEXPECTED;

    SensorState state = SENSOR_STATE_ERROR;
    hr = m_pSensor->GetState(&state);
    if (FAILED(hr))
        return hr;
    if (state == SENSOR_STATE_ACCESS_DENIED) {
        hr = m_pSensorManager->RequestPermissions(nullptr, m_pSensorCollection, 1);
        if (FAILED(hr))
            return hr;
    }
    return m_pSensor->GetData(&m_pDataReport);
}

HRESULT GSensor::uninitSensor() { return miravel::letGoOfSensor(m_pSensor); }

HRESULT GSensor::getSensorData(GSENSOR_DATA_TYPE* data)
{
    if (!data)
        return E_POINTER;
    if (!m_pSensor || !m_pDataReport) {
        *data = {0, 0, 0};
        return E_INVALIDARG;
    }
    GUID id{};
    if (const HRESULT hr = m_pSensor->GetID(&id); FAILED(hr)) {
        *data = {0, 0, 0};
        return hr;
    }
    auto axis = [&](REFPROPERTYKEY key, double& out) {
        PROPVARIANT value;
        const HRESULT hr = m_pDataReport->GetSensorValue(key, &value);
        out = SUCCEEDED(hr) && value.vt == VT_R8 ? value.dblVal : 0.0;
        PropVariantClear(&value);
        return hr;
    };
    GSENSOR_DATA_TYPE read{};
    axis(SENSOR_DATA_TYPE_ACCELERATION_X_G, read.x);
    axis(SENSOR_DATA_TYPE_ACCELERATION_Y_G, read.y);
    const HRESULT hr = axis(SENSOR_DATA_TYPE_ACCELERATION_Z_G, read.z);
    *data = read;
    return hr;
}

HRESULT GSensor::setReportInterval(ULONG milliseconds) { return miravel::applyReportInterval(m_pSensor, milliseconds); }

HRESULT GSensor::setEventSink(ISensorEvents* events)
{
    if (!events)
        return S_OK;
    if (!m_pSensor)
        return E_INVALIDARG;
    return m_pSensor->SetEventSink(events);
}
