#pragma once

#include "SensorApi.h"

#include <cstdint>

#define MIRAVEL_EXPORT __attribute__((visibility("default")))

class CIdovan;

// The G-sensor (3-D accelerometer of the motion category) through the sensor service.
//
// Every reference it holds is renewed by initSensor and given back by the next initSensor or the
// destructor. Each initSensor enters the calling thread into the process's multithreaded COM
// apartment once more (CoInitializeEx, the one every library shares); uninitSensor and the
// destructor give one entry back. On a thread another library has put into a single-threaded
// apartment the sensor works without an entry of its own and gives none back. Call from one thread.
class MIRAVEL_EXPORT GSensor {
public:
    // Acceleration along each axis, in g.
    struct GSENSOR_DATA_TYPE {
        double x;
        double y;
        double z;
    };

    // Runs initSensor (its result is not kept: getSensorData tells).
    GSensor();
    ~GSensor();
    GSensor(const GSensor&) = delete;
    GSensor& operator=(const GSensor&) = delete;

    // Finds the first 3-D accelerometer and takes its current report. S_OK, or the failing step's
    // result (E_UNEXPECTED when there is no 3-D accelerometer).
    HRESULT initSensor();
    // Lets go of the sensor and gives back one COM initialisation; E_POINTER when there was none.
    HRESULT uninitSensor();
    // X, Y and Z from the report initSensor took; an axis that cannot be read counts as 0, and the
    // result is that of the Z read. E_INVALIDARG without a sensor or report, the liveness check's
    // error when the sensor has disappeared.
    HRESULT getSensorData(GSENSOR_DATA_TYPE* data);
    // S_OK, or the error the sensor gave for the interval (also written to standard output).
    HRESULT setReportInterval(ULONG milliseconds);
    // Null clears the sink.
    HRESULT setEventSink(ISensorEvents* events);

private:
    const GUID* m_pCategory;
    ISensorManager* m_pSensorManager = nullptr;
    ISensorCollection* m_pSensorCollection = nullptr;
    ISensor* m_pSensor = nullptr;
    ISensorDataReport* m_pDataReport = nullptr;
    int m_comTaken = 0; // COM initialisations taken and not yet given back
};

// A temperature sensor (the first sensor of the environmental category) through the sensor
// service; the same life cycle as GSensor, in a single-threaded apartment, with diagnostic lines
// for the failures a user can mend.
class MIRAVEL_EXPORT CTSensor {
public:
    CTSensor();
    ~CTSensor();
    CTSensor(const CTSensor&) = delete;
    CTSensor& operator=(const CTSensor&) = delete;

    HRESULT initSensor();
    HRESULT uninitSensor();
    // Degrees Celsius; 0 when the value cannot be read, with that read's result.
    HRESULT getSensorData(float* celsius);
    HRESULT setReportInterval(ULONG milliseconds);
    HRESULT setEventSink(ISensorEvents* events);

private:
    const GUID* m_pCategory;
    const GUID* m_pType; // kept; the search takes the category's first sensor whatever its type
    ISensorManager* m_pSensorManager = nullptr;
    ISensorCollection* m_pSensorCollection = nullptr;
    ISensor* m_pSensor = nullptr;
    ISensorDataReport* m_pDataReport = nullptr;
    int m_comTaken = 0; // COM initialisations taken and not yet given back
};

// Sensors and location: G-sensor, board temperature, GPS module power.
//
// Results: 1 = success, 0 = failure with the code kept for getLastErrorNumber (success does not
// clear it). The object holds one unit of this library's port-access use count while initialised,
// and a CIdovan (with its own unit in Idovan) for the model type, asked at every call. Diagnostic
// lines go to standard output. Call from one thread.
class MIRAVEL_EXPORT CMiravel {
public:
    // Acceleration in g; the layout of GSensor::GSENSOR_DATA_TYPE.
    struct GSensorData {
        double x;
        double y;
        double z;
    };

    static constexpr std::int32_t kErrorNotInitialised = static_cast<std::int32_t>(0x80000002);
    static constexpr std::int32_t kErrorInvalidArgument = static_cast<std::int32_t>(0x80000003);
    static constexpr std::int32_t kErrorGSensorOpen = static_cast<std::int32_t>(0x80030002);
    static constexpr std::int32_t kErrorGSensorRead = static_cast<std::int32_t>(0x80030003);
    static constexpr std::int32_t kErrorTemperatureServiceMissing = static_cast<std::int32_t>(0x80030004);
    static constexpr std::int32_t kErrorTemperatureServiceNoReading = static_cast<std::int32_t>(0x80030005);

    CMiravel();
    ~CMiravel();
    CMiravel(const CMiravel&) = delete;
    CMiravel& operator=(const CMiravel&) = delete;

    // Creates the G-sensor, takes the port-access unit and creates the CIdovan; always true.
    bool Initialize();
    // Deletes the G-sensor and gives the unit back; always true. The CIdovan stays.
    bool Uninitialize();

    // A fresh reading: the sensor-service objects are renewed on every call. 0 with
    // kErrorGSensorOpen or kErrorGSensorRead. Needs no port access.
    int vSR_GSensorValueGet(GSensorData* data);
    // EC RAM 0x70 - 40, in degrees Celsius.
    int vSR_TempSensorValueGet(float* celsius);
    // KQS: EC RAM 0xBF bit 0; other models: EC command 0x1D (on) or 0x1E (off). Not read back.
    int vSR_GPSModuleSwitch(int on);
    // KQS: EC RAM 0xBF bit 0; other models: extended CMOS 0x63 bit 7.
    int vSR_GPSModuleStatus(int* status);
    int getLastErrorNumber();

private:
    friend struct MiravelTestAccess; // the tests reach the private service path through it

    // The CPU temperature from the outside "Quenmark" service; not used by the public operations.
    int vSR_TempSensorValueGet_serviceWay(float* celsius);

    GSensor* m_pGSensor = nullptr;
    std::int32_t m_lastErrorNumber = 0;
    bool m_initialised = false;
    bool m_gSensorPresent = false;
    CIdovan* m_pIdovan = nullptr;
};

static_assert(sizeof(CMiravel::GSensorData) == sizeof(GSensor::GSENSOR_DATA_TYPE));
