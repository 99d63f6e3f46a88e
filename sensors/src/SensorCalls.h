#pragma once

#include "SensorApi.h"

// Steps GSensor and CTSensor share.
namespace miravel {

// The fields of a GSensor or CTSensor that a search fills and a release empties.
struct SensorReferences {
    ISensorManager*& manager;
    ISensorCollection*& collection;
    ISensor*& sensor;
    ISensorDataReport*& report;
};

// Where the searches of GSensor and CTSensor differ: which sensor of the category they take and the
// lines they write on the way (null: none).
struct SensorSearch {
    // The first sensor of this type, entries that cannot be had passed over; null: the category's
    // first sensor whatever its type, a failure to get it returned.
    const GUID* type;
    const char* policyLine;    // the service is switched off by policy
    const char* noSensorsLine; // the category has no sensors
    const char* deniedLine;    // access denied, before the modal permission request
    const char* refusedLines;  // after that request was refused or cancelled
};

// initSensor after its COM initialisation: lets go of what the previous search left (a caller that
// renews the sensor on every reading holds one set of references, not one per reading), then
// manager, sensors of the category, permissions, the sensor, its state and current report. S_OK, or
// the failing step's result (E_UNEXPECTED for no sensor).
HRESULT acquireSensor(REFGUID category, const SensorSearch& search, const SensorReferences& held);

void releaseSensorReferences(const SensorReferences& held);

// COM initialisations of the calling thread that an object took and has not given back yet. An
// entry refused because the thread is in the other kind of apartment (RPC_E_CHANGED_MODE) was not
// counted by the thread, so it is not given back either: that would end the apartment another
// library entered. The object still works then: the thread is in an apartment.
void takeComInitialisation(DWORD coInit, int& taken);
void giveBackComInitialisation(int& taken);

// Sets the sensor's current report interval. S_OK when taken; when the sensor refuses it (S_FALSE),
// the property's own error, which is also written to standard output; else the failing step's
// result.
HRESULT applyReportInterval(ISensor* sensor, ULONG milliseconds);

// uninitSensor: clears the event sink (that result is returned), lets go of the sensor and gives
// back one COM initialisation; E_POINTER without a sensor (the initialisation is still given back).
HRESULT letGoOfSensor(ISensor*& sensor, int& comTaken);

// The destructors: clears the sensor's event sink, lets go of everything and gives back one COM
// initialisation.
void finishWithSensor(const SensorReferences& held, int& comTaken);

// setEventSink: a null sink is S_OK and nothing else.
HRESULT setSensorEventSink(ISensor* sensor, ISensorEvents* events);

} // namespace miravel
