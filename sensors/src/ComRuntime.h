#pragma once

#include "SensorApi.h"

// The COM runtime calls the sensor classes make, for this library: a per-thread count of
// initialisations, and object creation from a table of the classes the library provides. Objects
// can only be made on a thread that has initialised COM, as on Windows.
namespace miravel {

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// S_OK for the thread's first initialisation, S_FALSE for each further one. The kind of apartment
// is not modelled: every object here may be used from any thread.
HRESULT CoInitializeEx(void* reserved, DWORD flags);
HRESULT CoInitialize(void* reserved);
// Gives one initialisation back; more calls than initialisations are ignored.
void CoUninitialize();
// This thread's outstanding initialisations.
int comInitialisations();

// Makes an object of a class of the table (CLSID_SensorManager, CLSID_PortableDeviceValues).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

} // namespace miravel
