#pragma once

// Navorin: the GPS library. Reads the NMEA 0183 output of the GPS receiver from a serial port on a
// reader thread of its own, decodes the GGA sentences ("$GPGGA", "$GNGGA") and reports the last
// fix. Plain C functions; 1 = success, 0 = failure unless noted. The library writes its trace
// lines (each GGA sentence, "yes"/"no", "satellite : …", the position) to standard output.
//
// Calling order: the two setters, then vS_GPSStart (repeatable: a second start closes and reopens),
// then the reading functions from any thread, then vS_GPSStop. Start and stop may come from
// different threads; the reading functions always see one sentence's values, never a mix of two.
// The fix, the position and the satellite count outlive a stop and a failed start.

#define NAVORIN_EXPORT __attribute__((visibility("default")))

extern "C" {

// Port n (COMn) and baud rate for the next start; no check; defaults 3 and 9600. Return 1.
NAVORIN_EXPORT int vS_GPSSerialPortSet(int port);
NAVORIN_EXPORT int vS_GPSBaudRateSet(int baud);

// Opens the port (1..1024) with its reader thread, sets it up and sets 8 data bits, no parity, one
// stop bit at the baud rate. 0 when any step failed; a port that opened stays open and decoding
// until the next start or stop.
NAVORIN_EXPORT int vS_GPSStart();
// Stops the reader thread and closes the port; the last fix stays.
NAVORIN_EXPORT void vS_GPSStop();

// With a fix: the satellites in use into *count, 1. Else 0 and *count untouched.
NAVORIN_EXPORT int vS_GPSSatellites(int* count);
// With a fix: three new strings, longitude and latitude as "%c%d'%d'%d'" (hemisphere, degrees,
// minutes, whole seconds, e.g. "N25'3'7'"; empty when the hemisphere field was empty) and the
// altitude as "%f"; release each with vS_GPSFree. Else 0 and nothing written.
NAVORIN_EXPORT int vS_GPSPosition(char** longitude, char** latitude, char** altitude);
// With a fix: longitude and latitude in decimal degrees without sign (south and west are positive
// too); 400.0 for a coordinate whose degrees or minutes read 400. Else 0 and nothing written.
NAVORIN_EXPORT int vS_GPSPositionDouble(double* longitude, double* latitude);
// Releases a string of vS_GPSPosition (null is fine).
NAVORIN_EXPORT void vS_GPSFree(char* text);

} // extern "C"
