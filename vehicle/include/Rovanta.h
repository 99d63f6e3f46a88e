#pragma once

// Rovanta: live values of the vehicle's SAE J1939 bus, read through an STN1110 interpreter on a
// serial port (default COM5 at 9600 baud).
//
// Every value call asks the interpreter to monitor the value's parameter group, takes the first
// data line, stops the monitoring and decodes it: nothing is cached. A group that does not come
// costs about 3 seconds, a lost prompt another 3.
//
// Results: 1 = success, 0 = failure. On failure nothing is written to the out-parameters. Texts
// are allocated by the library and released with vVS_free. Diagnostic lines go to standard
// output. One caller at a time; vVS_UnInit may be called from another thread to end an exchange
// in progress (it then runs into its time limit).

#define ROVANTA_EXPORT __attribute__((visibility("default")))

extern "C" {

// Stores the port number (n of COMn) or the baud rate for vVS_Init; values of 0 or less are
// ignored.
ROVANTA_EXPORT void vVS_SetPortNumber(int port);
ROVANTA_EXPORT void vVS_SetBaudRate(int baud);

// Opens the port (1..1024; 8 data bits, no parity, one stop bit) and switches the interpreter to
// J1939 with line feeds, headers and CAN formatting on. 1 only if every step succeeded; after a
// failed command the port stays open until vVS_UnInit or the next vVS_Init.
ROVANTA_EXPORT int vVS_Init();
// Closes the port if it is open; sends nothing.
ROVANTA_EXPORT void vVS_UnInit();

// 1 if name is exactly "SAEJ1939", else 0.
ROVANTA_EXPORT int vVS_ProtocolGet(const char* name);

// Engine speed (rpm), wheel-based vehicle speed and tachograph speed (km/h) as decimal texts.
ROVANTA_EXPORT int vVS_VehicleEngineedSpeed(char** text);
ROVANTA_EXPORT int vVS_VehicleSpeed(char** text);
ROVANTA_EXPORT int vVS_VechicleTachographSpeed(char** text);

// Total and trip distance (km), total fuel used (litres), battery voltage (volts), whole units.
ROVANTA_EXPORT int vVS_VehicleOdometer(long* km);
ROVANTA_EXPORT int vVS_VehicleTripDistance(long* km);
ROVANTA_EXPORT int vVS_VehicleFuelLoad(long* litres);
ROVANTA_EXPORT int vVS_VehicleBatteryVoltage(long* volts);

// Trip idle time in hours.
ROVANTA_EXPORT int vVS_VehicleTripIdleTime(float* hours);

// Engine coolant and fuel temperature, degrees Celsius.
ROVANTA_EXPORT int vVS_VechicleEngineCoolantAndFuelTemperature(long* coolant, long* fuel);

// Releases a text of the functions above; null is allowed. Returns 1.
ROVANTA_EXPORT int vVS_free(char* text);

} // extern "C"
