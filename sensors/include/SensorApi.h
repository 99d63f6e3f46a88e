#pragma once

// The part of the Windows sensor API (sensorsapi.h, portabledeviceapi.h) that the Miravel
// library's classes name: property keys and values, the sensor-service interfaces and their
// identifiers, with the Windows values. The objects behind the interfaces live inside the library,
// over the platform's sensor service. Builds on the shared COM compatibility header.

#include "ComCompat.h"

#include <cstdint>

using DWORD = std::uint32_t;
using BOOL = int;
using HWND = void*;
using VARTYPE = std::uint16_t;

// A property: the GUID of its group and its number in the group.
struct PROPERTYKEY {
    GUID fmtid;
    DWORD pid;

    friend bool operator==(const PROPERTYKEY& a, const PROPERTYKEY& b) { return a.fmtid == b.fmtid && a.pid == b.pid; }
};
using REFPROPERTYKEY = const PROPERTYKEY&;

// Value types of a PROPVARIANT, with their Windows numbers.
inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_R4 = 4;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_UI4 = 19;

// A tagged value, limited to the scalar types sensors report (no strings, no arrays, so clearing
// one frees nothing).
struct PROPVARIANT {
    VARTYPE vt = VT_EMPTY;
    union {
        float fltVal;
        double dblVal;
        ULONG ulVal;
        HRESULT scode;
    };
    PROPVARIANT() : dblVal(0) {}
};

inline void PropVariantInit(PROPVARIANT* value) { *value = PROPVARIANT(); }
inline HRESULT PropVariantClear(PROPVARIANT* value)
{
    if (!value)
        return E_POINTER;
    *value = PROPVARIANT();
    return S_OK;
}

// A sensor's state (SensorState of sensorsapi.h).
enum SensorState : std::int32_t {
    SENSOR_STATE_MIN = 0,
    SENSOR_STATE_READY = 0,
    SENSOR_STATE_NOT_AVAILABLE = 1,
    SENSOR_STATE_NO_DATA = 2,
    SENSOR_STATE_INITIALIZING = 3,
    SENSOR_STATE_ACCESS_DENIED = 4,
    SENSOR_STATE_ERROR = 5,
    SENSOR_STATE_MAX = 5,
};

// Classes and interfaces.
// {77A1C827-FCD2-4689-8915-9D613CC5FA3E}
inline constexpr CLSID CLSID_SensorManager = {0x77A1C827, 0xFCD2, 0x4689, {0x89, 0x15, 0x9D, 0x61, 0x3C, 0xC5, 0xFA, 0x3E}};
// {BD77DB67-45A8-42DC-8D00-6DCF15F8377A}
inline constexpr IID IID_ISensorManager = {0xBD77DB67, 0x45A8, 0x42DC, {0x8D, 0x00, 0x6D, 0xCF, 0x15, 0xF8, 0x37, 0x7A}};
// {23571E11-E545-4DD8-A337-B89BF44B10DF}
inline constexpr IID IID_ISensorCollection = {0x23571E11, 0xE545, 0x4DD8, {0xA3, 0x37, 0xB8, 0x9B, 0xF4, 0x4B, 0x10, 0xDF}};
// {5FA08F80-2657-458E-AF75-46F73FA6AC5C}
inline constexpr IID IID_ISensor = {0x5FA08F80, 0x2657, 0x458E, {0xAF, 0x75, 0x46, 0xF7, 0x3F, 0xA6, 0xAC, 0x5C}};
// {0AB9DF9B-C4B5-4796-8898-0470706A2E1D}
inline constexpr IID IID_ISensorDataReport = {0x0AB9DF9B, 0xC4B5, 0x4796, {0x88, 0x98, 0x04, 0x70, 0x70, 0x6A, 0x2E, 0x1D}};
// {5D8DCC91-4641-47E7-B7C3-B74F48A6C391}
inline constexpr IID IID_ISensorEvents = {0x5D8DCC91, 0x4641, 0x47E7, {0xB7, 0xC3, 0xB7, 0x4F, 0x48, 0xA6, 0xC3, 0x91}};
// {0C15D503-D017-47CE-9016-7B3F978721CC}
inline constexpr CLSID CLSID_PortableDeviceValues = {0x0C15D503, 0xD017, 0x47CE, {0x90, 0x16, 0x7B, 0x3F, 0x97, 0x87, 0x21, 0xCC}};
// {6848F6F2-3155-4F86-B6F5-263EEEAB3143}
inline constexpr IID IID_IPortableDeviceValues = {0x6848F6F2, 0x3155, 0x4F86, {0xB6, 0xF5, 0x26, 0x3E, 0xEE, 0xAB, 0x31, 0x43}};

// Categories and types.
// {CD09DAF1-3B2E-4C3D-B598-B5E5FF93FD46}
inline constexpr GUID SENSOR_CATEGORY_MOTION = {0xCD09DAF1, 0x3B2E, 0x4C3D, {0xB5, 0x98, 0xB5, 0xE5, 0xFF, 0x93, 0xFD, 0x46}};
// {C2FB0F5F-E2D2-4C78-BCD0-352A9582819D}
inline constexpr GUID SENSOR_TYPE_ACCELEROMETER_3D = {0xC2FB0F5F, 0xE2D2, 0x4C78, {0xBC, 0xD0, 0x35, 0x2A, 0x95, 0x82, 0x81, 0x9D}};
// {B2C517A8-F6B5-4BA6-A423-5DF560B4CC07}
inline constexpr GUID SENSOR_TYPE_ACCELEROMETER_2D = {0xB2C517A8, 0xF6B5, 0x4BA6, {0xA4, 0x23, 0x5D, 0xF5, 0x60, 0xB4, 0xCC, 0x07}};
// {323439AA-7F66-492B-BA0C-73E9AA0A65D5}
inline constexpr GUID SENSOR_CATEGORY_ENVIRONMENTAL = {0x323439AA, 0x7F66, 0x492B, {0xBA, 0x0C, 0x73, 0xE9, 0xAA, 0x0A, 0x65, 0xD5}};
// {04FD0EC4-D5DA-45FA-95A9-5DB38EE19306}
inline constexpr GUID SENSOR_TYPE_ENVIRONMENTAL_TEMPERATURE = {0x04FD0EC4, 0xD5DA, 0x45FA, {0x95, 0xA9, 0x5D, 0xB3, 0x8E, 0xE1, 0x93, 0x06}};

// Data fields and properties.
// {3F8A69A2-07C5-4E48-A965-CD797AAB56D5}
inline constexpr GUID SENSOR_DATA_TYPE_MOTION_GUID = {0x3F8A69A2, 0x07C5, 0x4E48, {0xA9, 0x65, 0xCD, 0x79, 0x7A, 0xAB, 0x56, 0xD5}};
inline constexpr PROPERTYKEY SENSOR_DATA_TYPE_ACCELERATION_X_G = {SENSOR_DATA_TYPE_MOTION_GUID, 2};
inline constexpr PROPERTYKEY SENSOR_DATA_TYPE_ACCELERATION_Y_G = {SENSOR_DATA_TYPE_MOTION_GUID, 3};
inline constexpr PROPERTYKEY SENSOR_DATA_TYPE_ACCELERATION_Z_G = {SENSOR_DATA_TYPE_MOTION_GUID, 4};
// {8B0AA2F1-2D57-42EE-8CC0-4D27622B46C4}
inline constexpr GUID SENSOR_DATA_TYPE_ENVIRONMENTAL_GUID = {0x8B0AA2F1, 0x2D57, 0x42EE, {0x8C, 0xC0, 0x4D, 0x27, 0x62, 0x2B, 0x46, 0xC4}};
inline constexpr PROPERTYKEY SENSOR_DATA_TYPE_TEMPERATURE_CELSIUS = {SENSOR_DATA_TYPE_ENVIRONMENTAL_GUID, 2};
// {7F8383EC-D3EC-495C-A8CF-B8BBE85C2920}
inline constexpr GUID SENSOR_PROPERTY_COMMON_GUID = {0x7F8383EC, 0xD3EC, 0x495C, {0xA8, 0xCF, 0xB8, 0xBB, 0xE8, 0x5C, 0x29, 0x20}};
inline constexpr PROPERTYKEY SENSOR_PROPERTY_CURRENT_REPORT_INTERVAL = {SENSOR_PROPERTY_COMMON_GUID, 13};

class ISensor;
class ISensorCollection;
class ISensorDataReport;
class ISensorEvents;
class IPortableDeviceValues;

// A set of property values, and the per-property results of setting them.
class IPortableDeviceValues : public IUnknown {
public:
    virtual HRESULT GetCount(DWORD* count) = 0;
    virtual HRESULT GetAt(DWORD index, PROPERTYKEY* key, PROPVARIANT* value) = 0;
    virtual HRESULT SetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG value) = 0;
    virtual HRESULT GetUnsignedIntegerValue(REFPROPERTYKEY key, ULONG* value) = 0;
    virtual HRESULT SetErrorValue(REFPROPERTYKEY key, HRESULT value) = 0;
    virtual HRESULT GetErrorValue(REFPROPERTYKEY key, HRESULT* value) = 0;
};

class ISensorDataReport : public IUnknown {
public:
    // A field the report does not carry: HRESULT_FROM_WIN32(ERROR_NOT_FOUND), value VT_EMPTY.
    virtual HRESULT GetSensorValue(REFPROPERTYKEY key, PROPVARIANT* value) = 0;
};

class ISensor : public IUnknown {
public:
    // Fails once the sensor has disappeared.
    virtual HRESULT GetID(GUID* id) = 0;
    virtual HRESULT GetCategory(GUID* category) = 0;
    virtual HRESULT GetType(GUID* type) = 0;
    virtual HRESULT GetState(SensorState* state) = 0;
    virtual HRESULT GetData(ISensorDataReport** report) = 0;
    // S_OK when every property was taken; S_FALSE when some were refused, with each property's
    // error in results.
    virtual HRESULT SetProperties(IPortableDeviceValues* values, IPortableDeviceValues** results) = 0;
    virtual HRESULT SetEventSink(ISensorEvents* events) = 0;
};

class ISensorCollection : public IUnknown {
public:
    virtual HRESULT GetAt(ULONG index, ISensor** sensor) = 0;
    virtual HRESULT GetCount(ULONG* count) = 0;
};

class ISensorManager : public IUnknown {
public:
    // An empty collection (S_OK) when the category has no sensors.
    virtual HRESULT GetSensorsByCategory(REFGUID category, ISensorCollection** found) = 0;
    virtual HRESULT GetSensorsByType(REFGUID type, ISensorCollection** found) = 0;
    virtual HRESULT GetSensorByID(REFGUID id, ISensor** sensor) = 0;
    virtual HRESULT RequestPermissions(HWND parent, ISensorCollection* sensors, BOOL modal) = 0;
};

// Implemented by a caller that wants to hear from a sensor.
class ISensorEvents : public IUnknown {
public:
    virtual HRESULT OnStateChanged(ISensor* sensor, SensorState state) = 0;
    virtual HRESULT OnDataUpdated(ISensor* sensor, ISensorDataReport* report) = 0;
    virtual HRESULT OnEvent(ISensor* sensor, REFGUID eventId, IPortableDeviceValues* data) = 0;
    virtual HRESULT OnLeave(REFGUID id) = 0;
};
