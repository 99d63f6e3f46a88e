#include "Miravel.h"

#include "CWinIOUtility.h"
#include "Diagnostic.h"
#include "EcMap.h"
#include "Idovan.h"
#include "NamedObjects.h"
#include "ServiceControl.h"
#include "Sleeper.h"
#include "TemperatureServiceClient.h"

using tarvik::diagnostic;
namespace ecmap = tarvik::ecmap;

namespace {

constexpr int kTemperatureBias = 40;        // EC RAM 0x70 holds degrees Celsius + 40
constexpr std::uint8_t kGpsPowerBit = 0x01; // EC_GPS_CONTROL bit 0 (KQS)
constexpr unsigned kCmosGpsOnShift = 7;     // CMOS_GPS_STATUS bit 7 (other models)

} // namespace

CMiravel::CMiravel()
{
    m_initialised = false;
    m_gSensorPresent = false;
    if (!Initialize())
        diagnostic("initialize failed\n");
}

CMiravel::~CMiravel()
{
    Uninitialize();
    delete m_pIdovan;
}

bool CMiravel::Initialize()
{
    // Initialize may be called again on a live object: what it holds is replaced, not leaked, and
    // the port-access unit is taken once.
    delete m_pGSensor;
    m_pGSensor = new GSensor();
    m_gSensorPresent = m_pGSensor != nullptr;
    if (!m_initialised)
        m_initialised = CWinIOUtility::AcquirePortAccess();
    delete m_pIdovan;
    m_pIdovan = new CIdovan();
    return true;
}

bool CMiravel::Uninitialize()
{
    if (m_pGSensor) {
        delete m_pGSensor;
        m_pGSensor = nullptr;
        m_gSensorPresent = false;
    }
    if (m_initialised) {
        m_initialised = false;
        CWinIOUtility::ReleasePortAccess();
    }
    return true;
}

int CMiravel::vSR_GSensorValueGet(GSensorData* data)
{
    if (!data) {
        m_lastErrorNumber = kErrorInvalidArgument;
        return 0;
    }
    // After Uninitialize there is no sensor object to renew: the sensor cannot be opened.
    if (!m_pGSensor) {
        diagnostic("vSR_GSensorValueGet: no G-sensor (not initialised)\n");
        m_lastErrorNumber = kErrorGSensorOpen;
        return 0;
    }
    HRESULT hr = m_pGSensor->initSensor();
    if (hr != S_OK) {
        diagnostic("vSR_GSensorValueGet: initSensor failed, hr = 0x%08X\n", static_cast<unsigned>(hr));
        m_pGSensor->uninitSensor(); // gives back the COM initialisation initSensor took
        m_lastErrorNumber = kErrorGSensorOpen;
        return 0;
    }
    GSensor::GSENSOR_DATA_TYPE read{};
    hr = m_pGSensor->getSensorData(&read);
    data->x = read.x;
    data->y = read.y;
    data->z = read.z;
    if (hr != S_OK) {
        diagnostic("vSR_GSensorValueGet: getSensorData failed, hr = 0x%08X\n", static_cast<unsigned>(hr));
        m_pGSensor->uninitSensor();
        m_lastErrorNumber = kErrorGSensorRead;
        return 0;
    }
    m_pGSensor->uninitSensor();
    return 1;
}

int CMiravel::vSR_TempSensorValueGet(float* celsius)
{
    if (!m_initialised) {
        m_lastErrorNumber = kErrorNotInitialised;
        return 0;
    }
    if (!celsius) {
        m_lastErrorNumber = kErrorInvalidArgument;
        return 0;
    }
    const int byte = static_cast<int>(CWinIOUtility::ReadECByte(ecmap::EC_TEMPERATURE) & 0xFFu);
    *celsius = static_cast<float>(byte - kTemperatureBias);
    return 1;
}

int CMiravel::vSR_GPSModuleSwitch(int on)
{
    if (!m_initialised) {
        m_lastErrorNumber = kErrorNotInitialised;
        return 0;
    }
    if (m_pIdovan->vDI_ModelType() == CIdovan::MODEL_KQS) {
        std::uint8_t v = static_cast<std::uint8_t>(CWinIOUtility::ReadECByte(ecmap::EC_GPS_CONTROL) & 0xFFu);
        diagnostic("vSR_GPSModuleSwitch: read value 0x%x, from 0x%x\n", v, ecmap::EC_GPS_CONTROL);
        v = on ? static_cast<std::uint8_t>(v | kGpsPowerBit) : static_cast<std::uint8_t>(v & ~kGpsPowerBit);
        diagnostic("vSR_GPSModuleSwitch: I'm going to set 0x%x, to EC ADDR 0x%x\n", v, ecmap::EC_GPS_CONTROL);
        CWinIOUtility::WriteECByte(ecmap::EC_GPS_CONTROL, v);
    } else {
        CWinIOUtility::SendECCommand(on ? ecmap::EC_CMD_GPS_ON : ecmap::EC_CMD_GPS_OFF);
    }
    return 1;
}

int CMiravel::vSR_GPSModuleStatus(int* status)
{
    if (!m_initialised) {
        m_lastErrorNumber = kErrorNotInitialised;
        return 0;
    }
    if (!status) {
        m_lastErrorNumber = kErrorInvalidArgument;
        return 0;
    }
    if (m_pIdovan->vDI_ModelType() == CIdovan::MODEL_KQS) {
        const std::uint8_t v = static_cast<std::uint8_t>(CWinIOUtility::ReadECByte(ecmap::EC_GPS_CONTROL) & 0xFFu);
        diagnostic("vSR_GPSModuleStatus: get value:0x%x from 0x%x\n", v, ecmap::EC_GPS_CONTROL);
        *status = v & kGpsPowerBit;
    } else {
        *status = (CWinIOUtility::ReadCMOSByte(ecmap::CMOS_GPS_STATUS) >> kCmosGpsOnShift) & 1;
    }
    return 1;
}

int CMiravel::getLastErrorNumber() { return m_lastErrorNumber; }

int CMiravel::vSR_TempSensorValueGet_serviceWay(float* celsius)
{
    if (!celsius) {
        m_lastErrorNumber = kErrorInvalidArgument;
        return 0;
    }
    miravel::TemperatureServiceClient client(tarvik::processServiceControl(), tarvik::processNamedObjects(),
                                             tarvik::processSleeper());
    std::int32_t error = 0;
    const int result = client.read(celsius, error);
    if (!result)
        m_lastErrorNumber = error;
    return result;
}
