#pragma once

#include "SensorApi.h"

// Object creation for the sensor classes: the classes this library provides, made by class id. The
// thread's apartment is the process's one (CoInitializeEx and CoUninitialize of ComCompat.h, shared
// with every library); as on Windows, objects can only be made on a thread that is in one.
namespace miravel {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// Makes an object of a class of the table (CLSID_SensorManager, CLSID_PortableDeviceValues).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

} // namespace miravel
