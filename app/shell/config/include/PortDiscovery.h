#pragma once

#include "ConfigTrace.h"

#include <functional>
#include <string>

// The COM number of the serial device whose name contains the descriptor, or -1 (the device
// information library's vDI_ModuleSerialPortNumber).
using SerialPortLookup = std::function<int(const std::wstring& descriptor)>;

// Start-up port discovery: for LOCATION_SENSOR, COMMUNICATION and VEHICLE_STATUS in this order,
// a COM_PORT that reads as 0 (missing, 0 or not a number) is looked up by COM_PORT_DESC and
// written ("%d"; -1 is written as "0"), traced as
//   "\nApp COM_PORT_DESC=[<descriptor>] COM_PORT_TYPE=[<LOCATION_SENSOR/COM_PORT_TYPE>] dcomport=[<number>]."
// A port already set is never looked up again. An empty descriptor is not looked up (it would
// match every device name) and counts as not found.
void DiscoverPorts(const std::wstring& settingsFile, const SerialPortLookup& lookup, const ConfigTrace& trace);
