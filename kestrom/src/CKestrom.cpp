#include "Kestrom.h"

#include "Diagnostic.h"
#include "PowerRules.h"
#include "ProcessPowerController.h"
#include "Sleeper.h"

#include <cstring>

using tarvik::diagnostic;
using tarvik::board::Nominal;
using tarvik::board::PowerValue;
using tarvik::board::Threshold;
using tarvik::kestrom::PowerController;
using tarvik::kestrom::WakeTime;
namespace rules = tarvik::kestrom::rules;

// Each method names itself (__func__) so that the board's kestrom-fail fault can single it out.
namespace {

PowerController& controller() { return tarvik::kestrom::processPowerController(); }

bool failing(const char* method) { return controller().methodFails(method); }

template <class T>
int getValue(const char* method, PowerValue value, T* out)
{
    if (!out || failing(method))
        return 0;
    const auto v = controller().read(value);
    if (!v)
        return 0;
    *out = static_cast<T>(*v);
    return 1;
}

// The checked value to store, or nullopt (with the reason on standard output) when it is refused.
std::optional<std::int32_t> checked(const char* method, PowerValue value, long long requested)
{
    const auto v = rules::checkValue(value, requested);
    if (!v)
        diagnostic("Kestrom: %s(%lld) refused: expected %s\n", method, requested, rules::allowedValues(value));
    return v;
}

int setValue(const char* method, PowerValue value, long long requested)
{
    if (failing(method))
        return 0;
    const auto v = checked(method, value, requested);
    return v && controller().write(value, *v) ? 1 : 0;
}

int getThreshold(const char* method, Nominal nominal, Threshold threshold, float* out)
{
    if (!out || failing(method))
        return 0;
    const auto volts = controller().readThreshold(nominal, threshold);
    if (!volts)
        return 0;
    *out = *volts;
    return 1;
}

int setThreshold(const char* method, Nominal nominal, Threshold threshold, float volts)
{
    if (failing(method))
        return 0;
    if (!rules::acceptsThreshold(nominal, threshold, volts)) {
        const rules::VoltRange r = rules::thresholdRange(nominal, threshold);
        diagnostic("Kestrom: %s(%.2f) refused: expected %.1f to %.1f V\n", method, static_cast<double>(volts),
                   static_cast<double>(r.low), static_cast<double>(r.high));
        return 0;
    }
    return controller().writeThreshold(nominal, threshold, volts) ? 1 : 0;
}

} // namespace

int CKestrom::vPM_ACCStatus(int* status) { return getValue(__func__, PowerValue::AccLine, status); }
int CKestrom::WU_WakeOnACCStatus(int* enabled) { return getValue(__func__, PowerValue::AccDetect, enabled); }
int CKestrom::WU_WakeOnACCSwitch(int enable) { return setValue(__func__, PowerValue::AccDetect, enable); }
int CKestrom::vPM_ACCSenseModeGetting(int* enabled) { return getValue(__func__, PowerValue::AccSenseMode, enabled); }
int CKestrom::vPM_ACCSenseModeSetting(int enable) { return setValue(__func__, PowerValue::AccSenseMode, enable); }
int CKestrom::vPM_PowerButtonGetting(int* enabled) { return getValue(__func__, PowerValue::PowerButton, enabled); }
int CKestrom::vPM_PowerButtonSetting(int enable) { return setValue(__func__, PowerValue::PowerButton, enable); }

int CKestrom::vPM_ExtennalPowerSetting(int enable)
{
    if (failing(__func__))
        return 0;
    const auto v = checked(__func__, PowerValue::ExternalPower, enable);
    if (!v)
        return 0;
    if (*v != 0) {
        // External power is the start source only when neither the ACC sensor nor the power button
        // starts the machine; the power page sets those two first.
        const auto senseMode = controller().read(PowerValue::AccSenseMode);
        const auto powerButton = controller().read(PowerValue::PowerButton);
        if (!senseMode || !powerButton)
            return 0;
        if (*senseMode != 0 || *powerButton != 0) {
            diagnostic("Kestrom: %s(%d) refused: ACC sensor mode or power button is on\n", __func__, enable);
            return 0;
        }
    }
    return controller().write(PowerValue::ExternalPower, *v) ? 1 : 0;
}

int CKestrom::vPM_InputVoltageGet(int* volts) { return getValue(__func__, PowerValue::InputVoltage, volts); }
int CKestrom::vPM_InputVoltageSet(int volts) { return setValue(__func__, PowerValue::InputVoltage, volts); }

int CKestrom::vPM_PowerOnTimerEnable(int enable) { return setValue(__func__, PowerValue::PowerOnDelayEnabled, enable); }
int CKestrom::vPM_PowerOnTimerEnableStatus(int* enabled)
{
    return getValue(__func__, PowerValue::PowerOnDelayEnabled, enabled);
}
int CKestrom::vPM_PowerOffTimerEnable(int enable) { return setValue(__func__, PowerValue::PowerOffDelayEnabled, enable); }
int CKestrom::vPM_PowerOffTimerEnableStatus(int* enabled)
{
    return getValue(__func__, PowerValue::PowerOffDelayEnabled, enabled);
}
int CKestrom::vPM_PowerOnDelayGet(unsigned* code) { return getValue(__func__, PowerValue::PowerOnDelay, code); }
int CKestrom::vPM_PowerOnDelaySet(unsigned code) { return setValue(__func__, PowerValue::PowerOnDelay, code); }
int CKestrom::vPM_PowerOffDelayGet(unsigned* code) { return getValue(__func__, PowerValue::PowerOffDelay, code); }
int CKestrom::vPM_PowerOffDelaySet(unsigned code) { return setValue(__func__, PowerValue::PowerOffDelay, code); }

int CKestrom::vPM_12VStartupGet(float* v) { return getThreshold(__func__, Nominal::V12, Threshold::Startup, v); }
int CKestrom::vPM_12VStartupSet(float v) { return setThreshold(__func__, Nominal::V12, Threshold::Startup, v); }
int CKestrom::vPM_12VShutdownGet(float* v) { return getThreshold(__func__, Nominal::V12, Threshold::Shutdown, v); }
int CKestrom::vPM_12VShutdownSet(float v) { return setThreshold(__func__, Nominal::V12, Threshold::Shutdown, v); }
int CKestrom::vPM_24VStartupGet(float* v) { return getThreshold(__func__, Nominal::V24, Threshold::Startup, v); }
int CKestrom::vPM_24VStartupSet(float v) { return setThreshold(__func__, Nominal::V24, Threshold::Startup, v); }
int CKestrom::vPM_24VShutdownGet(float* v) { return getThreshold(__func__, Nominal::V24, Threshold::Shutdown, v); }
int CKestrom::vPM_24VShutdownSet(float v) { return setThreshold(__func__, Nominal::V24, Threshold::Shutdown, v); }
int CKestrom::vPM_36VStartupGet(float* v) { return getThreshold(__func__, Nominal::V36, Threshold::Startup, v); }
int CKestrom::vPM_36VStartupSet(float v) { return setThreshold(__func__, Nominal::V36, Threshold::Startup, v); }
int CKestrom::vPM_36VShutdownGet(float* v) { return getThreshold(__func__, Nominal::V36, Threshold::Shutdown, v); }
int CKestrom::vPM_36VShutdownSet(float v) { return setThreshold(__func__, Nominal::V36, Threshold::Shutdown, v); }
int CKestrom::vPM_48VStartupGet(float* v) { return getThreshold(__func__, Nominal::V48, Threshold::Startup, v); }
int CKestrom::vPM_48VStartupSet(float v) { return setThreshold(__func__, Nominal::V48, Threshold::Startup, v); }
int CKestrom::vPM_48VShutdownGet(float* v) { return getThreshold(__func__, Nominal::V48, Threshold::Shutdown, v); }
int CKestrom::vPM_48VShutdownSet(float v) { return setThreshold(__func__, Nominal::V48, Threshold::Shutdown, v); }

int CKestrom::vPM_RQ63PowerBoard(int* highVoltage)
{
    if (!highVoltage || failing(__func__))
        return 0;
    const auto high = controller().highVoltagePowerBoard();
    if (!high)
        return 0;
    *highVoltage = *high ? 1 : 0;
    return 1;
}

// These two return nothing: an injected failure or a refused value leaves the setting unchanged.
void CKestrom::vPM_GSMSerialPortSet(int comNumber) { setValue(__func__, PowerValue::GsmSerialPort, comNumber); }
void CKestrom::vPM_GSMBaudRateSet(int baudRate) { setValue(__func__, PowerValue::GsmBaudRate, baudRate); }

int CKestrom::vWU_WakeOnSMSStatus(int* enabled) { return getValue(__func__, PowerValue::WakeOnSms, enabled); }
int CKestrom::vWU_WakeOnSMSSwitch(int enable) { return setValue(__func__, PowerValue::WakeOnSms, enable); }
int CKestrom::vWU_WakeOnSMSStringCheck(int* initialised)
{
    return getValue(__func__, PowerValue::SmsStoreReady, initialised);
}

int CKestrom::vWU_WakeOnSMSStringInit()
{
    if (failing(__func__))
        return 0;
    return controller().initialiseSmsStore(tarvik::processSleeper()) ? 1 : 0;
}

int CKestrom::vWU_WakeOnSMSStringSet(const char* code)
{
    if (failing(__func__))
        return 0;
    if (!rules::isValidSmsCode(code)) {
        diagnostic("Kestrom: %s refused: expected 8 characters 0-9, A-F\n", __func__);
        return 0;
    }
    if (controller().read(PowerValue::SmsStoreReady) == 0) {
        diagnostic("Kestrom: %s refused: the SMS code store is not initialised\n", __func__);
        return 0;
    }
    return controller().writeSmsCode(std::string(code, tarvik::board::kSmsCodeChars)) ? 1 : 0;
}

int CKestrom::vWU_WakeOnSMSStringGet(char* code)
{
    if (!code || failing(__func__))
        return 0;
    const auto stored = controller().readSmsCode();
    if (!stored)
        return 0;
    const std::size_t n = std::min(stored->size(), tarvik::board::kSmsCodeChars);
    std::memcpy(code, stored->data(), n);
    code[n] = '\0';
    return 1;
}

int CKestrom::vWU_WakeOnRTCStatus(int* enabled) { return getValue(__func__, PowerValue::WakeOnRtc, enabled); }
int CKestrom::vWU_WakeOnRTCSwitch(int enable) { return setValue(__func__, PowerValue::WakeOnRtc, enable); }

int CKestrom::vWU_WakeOnRTCTimer(unsigned char hour, unsigned char minute, unsigned char second)
{
    if (failing(__func__))
        return 0;
    const WakeTime time{hour, minute, second};
    if (!rules::isValidWakeTime(time)) {
        diagnostic("Kestrom: %s(%u, %u, %u) refused: expected hour 0-23, minute 0-59, second 0-59\n", __func__,
                   hour, minute, second);
        return 0;
    }
    return controller().writeWakeTime(time) ? 1 : 0;
}

int CKestrom::vWU_WakeOnRTCTimerStatus(unsigned char* hour, unsigned char* minute, unsigned char* second)
{
    if (!hour || !minute || !second || failing(__func__))
        return 0;
    const auto time = controller().readWakeTime();
    if (!time)
        return 0;
    *hour = time->hour;
    *minute = time->minute;
    *second = time->second;
    return 1;
}

int CKestrom::vTimer_WatchdogTimerSwitch(int enable) { return setValue(__func__, PowerValue::Watchdog, enable); }
int CKestrom::vTimer_WatchdogTimerStatus(int* enabled) { return getValue(__func__, PowerValue::Watchdog, enabled); }
int CKestrom::vTimer_WatchdogTimerGet(unsigned char* timeout)
{
    return getValue(__func__, PowerValue::WatchdogTimeout, timeout);
}
int CKestrom::vTimer_WatchdogTimerSet(unsigned char timeout)
{
    return setValue(__func__, PowerValue::WatchdogTimeout, timeout);
}

int CKestrom::vTimer_WatchdogTimerSimulate()
{
    if (failing(__func__))
        return 0;
    if (controller().read(PowerValue::Watchdog) == 0) {
        diagnostic("Kestrom: %s refused: the watchdog is not running\n", __func__);
        return 0;
    }
    return controller().forceWatchdogExpiry() ? 1 : 0;
}

int CKestrom::vBC_BrightnessValueGet(int* percent) { return getValue(__func__, PowerValue::Brightness, percent); }
int CKestrom::vBC_BrightnessValueSet(int percent) { return setValue(__func__, PowerValue::Brightness, percent); }
int CKestrom::vBC_AutoDimmingStatusGet(int* enabled) { return getValue(__func__, PowerValue::AutoDimming, enabled); }
int CKestrom::vBC_AutoDimmingSwitch(int enable) { return setValue(__func__, PowerValue::AutoDimming, enable); }

int CKestrom::vIO_COM1VoltageGet(unsigned char* volts) { return getValue(__func__, PowerValue::Com1Voltage, volts); }
int CKestrom::vIO_COM1VoltageSet(unsigned char volts) { return setValue(__func__, PowerValue::Com1Voltage, volts); }
int CKestrom::vIO_COM2TypeGet(ECOM2Type* type) { return getValue(__func__, PowerValue::Com2Type, type); }
int CKestrom::vIO_COM2TypeSet(ECOM2Type type) { return setValue(__func__, PowerValue::Com2Type, type); }

int CKestrom::vUPSBatteryCapacity(int* percent) { return getValue(__func__, PowerValue::UpsCapacity, percent); }

int CKestrom::EB_EmergencyButtonReset()
{
    if (failing(__func__))
        return 0;
    return controller().clearEmergencyLatch() ? 1 : 0;
}

int CKestrom::vVehicleBatteryVoltage(int* millivolts)
{
    if (!millivolts || failing(__func__))
        return 0;
    const auto mv = controller().vehicleBatteryMillivolts();
    if (!mv)
        return 0;
    *millivolts = *mv;
    return 1;
}
