#include "Miravel.h"

#include "ComObject.h"
#include "ComRuntime.h"
#include "Diagnostic.h"
#include "SensorCalls.h"
#include "SensorErrors.h"

using miravel::releaseAndClear;
using tarvik::diagnostic;

CTSensor::CTSensor() : m_pCategory(&SENSOR_CATEGORY_ENVIRONMENTAL), m_pType(&SENSOR_TYPE_ENVIRONMENTAL_TEMPERATURE)
{
    initSensor();
}

CTSensor::~CTSensor()
{
    if (m_pSensor)
        m_pSensor->SetEventSink(nullptr);
    releaseReferences();
    miravel::CoUninitialize();
}

void CTSensor::releaseReferences()
{
    releaseAndClear(m_pDataReport);
    releaseAndClear(m_pSensor);
    releaseAndClear(m_pSensorCollection);
    releaseAndClear(m_pSensorManager);
}

HRESULT CTSensor::initSensor()
{
    miravel::CoInitialize(nullptr);
    releaseReferences();

    HRESULT hr = miravel::CoCreateInstance(CLSID_SensorManager, nullptr, miravel::CLSCTX_INPROC_SERVER,
                                           IID_ISensorManager, reinterpret_cast<void**>(&m_pSensorManager));
    // The policy error comes without a manager, so the line is written whether or not one came.
    if (hr == miravel::kHrDisabledByPolicy) {
        diagnostic("Unable to retrieve sensor manager due to group policy settings.");
        return hr;
    }
    if (!m_pSensorManager)
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
    if (count == 0) {
        diagnostic("\nNo sensors of the requested category.\n");
        return E_UNEXPECTED;
    }
    hr = m_pSensorCollection->GetAt(0, &m_pSensor);
    if (FAILED(hr))
        return hr;

    SensorState state = SENSOR_STATE_ERROR;
    hr = m_pSensor->GetState(&state);
    if (FAILED(hr))
        return hr;
    if (state == SENSOR_STATE_ACCESS_DENIED) {
        diagnostic("\nSensor not enabled, requesting permissions...\n");
        hr = m_pSensorManager->RequestPermissions(nullptr, m_pSensorCollection, 1);
        if (hr == E_ACCESSDENIED || hr == miravel::kHrCancelled) {
            diagnostic("\nYou have previously denied access to this sensor.\n");
            diagnostic("Please use the Location and Other Sensors control panel\n");
            diagnostic("to enable the WDK Time Sensor and run this program again.\n");
        }
        if (FAILED(hr))
            return hr;
    }
    return m_pSensor->GetData(&m_pDataReport);
}

HRESULT CTSensor::uninitSensor() { return miravel::letGoOfSensor(m_pSensor); }

HRESULT CTSensor::getSensorData(float* celsius)
{
    if (!celsius)
        return E_POINTER;
    *celsius = 0;
    if (!m_pSensor || !m_pDataReport)
        return E_INVALIDARG;
    GUID id{};
    if (const HRESULT hr = m_pSensor->GetID(&id); FAILED(hr))
        return hr;
    PROPVARIANT value;
    const HRESULT hr = m_pDataReport->GetSensorValue(SENSOR_DATA_TYPE_TEMPERATURE_CELSIUS, &value);
    *celsius = SUCCEEDED(hr) && value.vt == VT_R4 ? value.fltVal : 0.0f;
    PropVariantClear(&value);
    return hr;
}

HRESULT CTSensor::setReportInterval(ULONG milliseconds) { return miravel::applyReportInterval(m_pSensor, milliseconds); }

HRESULT CTSensor::setEventSink(ISensorEvents* events)
{
    if (!events)
        return S_OK;
    if (!m_pSensor)
        return E_INVALIDARG;
    return m_pSensor->SetEventSink(events);
}
