#include "Miravel.h"

#include "SensorCalls.h"

namespace {

// The first sensor of the category whatever its type, with lines for the failures a user can mend.
constexpr miravel::SensorSearch kSearch = {
    nullptr,
    "Unable to retrieve sensor manager due to group policy settings.",
    "\nNo sensors of the requested category.\n",
    "\nSensor not enabled, requesting permissions...\n",
    "\nYou have previously denied access to this sensor.\n"
    "Please use the Location and Other Sensors control panel\n"
    "to enable the WDK Time Sensor and run this program again.\n",
};

} // namespace

CTSensor::CTSensor() : m_pCategory(&SENSOR_CATEGORY_ENVIRONMENTAL), m_pType(&SENSOR_TYPE_ENVIRONMENTAL_TEMPERATURE)
{
    initSensor();
}

CTSensor::~CTSensor()
{
    miravel::finishWithSensor({m_pSensorManager, m_pSensorCollection, m_pSensor, m_pDataReport}, m_comTaken);
}

HRESULT CTSensor::initSensor()
{
    // A single-threaded apartment, where GSensor enters the multithreaded one.
    miravel::takeComInitialisation(COINIT_APARTMENTTHREADED, m_comTaken);
    return miravel::acquireSensor(*m_pCategory, kSearch,
                                  {m_pSensorManager, m_pSensorCollection, m_pSensor, m_pDataReport});
}

HRESULT CTSensor::uninitSensor() { return miravel::letGoOfSensor(m_pSensor, m_comTaken); }

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

HRESULT CTSensor::setEventSink(ISensorEvents* events) { return miravel::setSensorEventSink(m_pSensor, events); }
