#include "Miravel.h"

#include "SensorCalls.h"

namespace {

// The first 3-D accelerometer of the category, found without a word.
constexpr miravel::SensorSearch kSearch = {&SENSOR_TYPE_ACCELEROMETER_3D, nullptr, nullptr, nullptr, nullptr};

} // namespace

GSensor::GSensor() : m_pCategory(&SENSOR_CATEGORY_MOTION) { initSensor(); }

GSensor::~GSensor()
{
    miravel::finishWithSensor({m_pSensorManager, m_pSensorCollection, m_pSensor, m_pDataReport}, m_comTaken);
}

HRESULT GSensor::initSensor()
{
    miravel::takeComInitialisation(COINIT_MULTITHREADED, m_comTaken);
    return miravel::acquireSensor(*m_pCategory, kSearch,
                                  {m_pSensorManager, m_pSensorCollection, m_pSensor, m_pDataReport});
}

HRESULT GSensor::uninitSensor() { return miravel::letGoOfSensor(m_pSensor, m_comTaken); }

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

HRESULT GSensor::setEventSink(ISensorEvents* events) { return miravel::setSensorEventSink(m_pSensor, events); }
