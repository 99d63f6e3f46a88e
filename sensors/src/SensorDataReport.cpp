#include "SensorDataReport.h"

#include "SensorErrors.h"

namespace miravel {

namespace {

PROPERTYKEY keyOf(tarvik::SensorField field)
{
    switch (field) {
    case tarvik::SensorField::AccelerationX:
        return SENSOR_DATA_TYPE_ACCELERATION_X_G;
    case tarvik::SensorField::AccelerationY:
        return SENSOR_DATA_TYPE_ACCELERATION_Y_G;
    case tarvik::SensorField::AccelerationZ:
        return SENSOR_DATA_TYPE_ACCELERATION_Z_G;
    case tarvik::SensorField::TemperatureCelsius:
        break;
    }
    return SENSOR_DATA_TYPE_TEMPERATURE_CELSIUS;
}

} // namespace

SensorDataReport::SensorDataReport(const tarvik::SensorReport& report)
{
    for (const auto& [field, number] : report.values) {
        PROPVARIANT v;
        if (field == tarvik::SensorField::TemperatureCelsius) {
            v.vt = VT_R4;
            v.fltVal = static_cast<float>(number);
        } else {
            v.vt = VT_R8;
            v.dblVal = number;
        }
        values_.emplace_back(keyOf(field), v);
    }
}

HRESULT SensorDataReport::GetSensorValue(REFPROPERTYKEY key, PROPVARIANT* value)
{
    if (!value)
        return E_POINTER;
    for (const auto& [k, v] : values_) {
        if (k == key) {
            *value = v;
            return S_OK;
        }
    }
    PropVariantInit(value);
    return kHrNotFound;
}

} // namespace miravel
