#pragma once

#include "SensorApi.h"

// Steps GSensor and CTSensor share.
namespace miravel {

// Sets the sensor's current report interval. S_OK when taken; when the sensor refuses it (S_FALSE),
// the property's own error, which is also written to standard output; else the failing step's
// result.
HRESULT applyReportInterval(ISensor* sensor, ULONG milliseconds);

// uninitSensor: clears the event sink (that result is returned), lets go of the sensor and gives
// back one COM initialisation; E_POINTER without a sensor (the initialisation is still given back).
HRESULT letGoOfSensor(ISensor*& sensor);

} // namespace miravel
