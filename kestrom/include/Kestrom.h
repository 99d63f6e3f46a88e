#pragma once

#define KESTROM_EXPORT __attribute__((visibility("default")))

// Power and system settings of the vehicle computer: ignition (ACC) handling, input voltage and
// its thresholds, power-on/off delays, wake sources (time of day, SMS), watchdog, backlight, serial
// port supply and line mode, UPS charge, emergency latch and vehicle battery.
//
// Every owner holds its own object; there is no initialise call. Results: 1 = success, 0 = failure
// (the two GSM setters return nothing). Values come back through pointer out-parameters, which are
// left untouched on failure (callers pre-set them to 0). A value outside the range given below is
// refused with 0 and changes nothing. Switches take any int: nonzero = on. The library keeps no
// error code; refusals are explained on standard output. Call from one thread.
//
// On the virtual board every value lives in the board (shared by every process, kept across
// restarts). On real hardware only the backlight, the UPS charge and the RTC wake work (through
// Linux sysfs); the rest needs the platform's vendor driver and fails.
class KESTROM_EXPORT CKestrom {
public:
    // Line mode of COM2.
    enum ECOM2Type : int {
        COM2_RS232 = 1,
        COM2_RS422 = 2,
        COM2_RS485 = 3,
    };

    // Ignition (ACC) line of the vehicle: nonzero = on. Read only.
    int vPM_ACCStatus(int* status);
    // ACC detection: the computer wakes and powers down with the ignition. Nonzero = on.
    int WU_WakeOnACCStatus(int* enabled);
    int WU_WakeOnACCSwitch(int enable);
    // ACC sensor mode (RQ81, RQ72). Nonzero = on.
    int vPM_ACCSenseModeGetting(int* enabled);
    int vPM_ACCSenseModeSetting(int enable);
    // Power button enabled. Nonzero = on.
    int vPM_PowerButtonGetting(int* enabled);
    int vPM_PowerButtonSetting(int enable);
    // Start on external power; 1 is accepted only while ACC sensor mode and power button are off.
    int vPM_ExtennalPowerSetting(int enable);

    // Nominal input voltage: 12, 24, 36, 48, or 9 for the wide range.
    int vPM_InputVoltageGet(int* volts);
    int vPM_InputVoltageSet(int volts);

    // Power-on delay switch, 1/0.
    int vPM_PowerOnTimerEnable(int enable);
    int vPM_PowerOnTimerEnableStatus(int* enabled);
    // Power-off delay switch, 1/0.
    int vPM_PowerOffTimerEnable(int enable);
    int vPM_PowerOffTimerEnableStatus(int* enabled);
    // Power-on delay code 1-8: 10 s, 30 s, 1 min, 5 min, 10 min, 30 min, 60 min, 6 h.
    int vPM_PowerOnDelayGet(unsigned* code);
    int vPM_PowerOnDelaySet(unsigned code);
    // Power-off delay code 1-8: 10 s, 30 s, 1 min, 5 min, 10 min, 15 min, 30 min, 60 min.
    int vPM_PowerOffDelayGet(unsigned* code);
    int vPM_PowerOffDelaySet(unsigned code);

    // Battery voltage at which the computer may start / shuts down, volts, per nominal input.
    // 12 V: start-up 11.5-12.5, shut-down 10.5-11.5.
    int vPM_12VStartupGet(float* volts);
    int vPM_12VStartupSet(float volts);
    int vPM_12VShutdownGet(float* volts);
    int vPM_12VShutdownSet(float volts);
    // 24 V: start-up 23.0-25.0, shut-down 21.0-23.0.
    int vPM_24VStartupGet(float* volts);
    int vPM_24VStartupSet(float volts);
    int vPM_24VShutdownGet(float* volts);
    int vPM_24VShutdownSet(float volts);
    // 36 V: start-up 35.0-37.0, shut-down 33.0-35.0.
    int vPM_36VStartupGet(float* volts);
    int vPM_36VStartupSet(float volts);
    int vPM_36VShutdownGet(float* volts);
    int vPM_36VShutdownSet(float volts);
    // 48 V: start-up 46.5-48.5, shut-down 44.5-46.5.
    int vPM_48VStartupGet(float* volts);
    int vPM_48VStartupSet(float volts);
    int vPM_48VShutdownGet(float* volts);
    int vPM_48VShutdownSet(float volts);

    // Kind of the RQ63 power board: nonzero = high-voltage board.
    int vPM_RQ63PowerBoard(int* highVoltage);

    // COM number (1-256) and baud rate of the modem that receives wake-up SMS; set them before the
    // SMS calls. A value out of range is ignored.
    void vPM_GSMSerialPortSet(int comNumber);
    void vPM_GSMBaudRateSet(int baudRate);

    // Wake on SMS, 1/0.
    int vWU_WakeOnSMSStatus(int* enabled);
    int vWU_WakeOnSMSSwitch(int enable);
    // Whether the SMS code store has been initialised: *initialised = 0 means not yet.
    int vWU_WakeOnSMSStringCheck(int* initialised);
    // Initialises the SMS code store (and empties it); blocks for about two seconds.
    int vWU_WakeOnSMSStringInit();
    // Stores the wake code: exactly 8 characters 0-9, A-F and the terminator. Fails until the
    // store has been initialised.
    int vWU_WakeOnSMSStringSet(const char* code);
    // Reads the wake code (8 characters and the terminator) into a buffer of at least 20 bytes.
    // Fails when the store is not initialised or holds no code.
    int vWU_WakeOnSMSStringGet(char* code);

    // Wake at a time of day, 1/0.
    int vWU_WakeOnRTCStatus(int* enabled);
    int vWU_WakeOnRTCSwitch(int enable);
    // The wake time: hour 0-23, minute 0-59, second 0-59 (local time).
    int vWU_WakeOnRTCTimer(unsigned char hour, unsigned char minute, unsigned char second);
    int vWU_WakeOnRTCTimerStatus(unsigned char* hour, unsigned char* minute, unsigned char* second);

    // Hardware watchdog running, 1/0.
    int vTimer_WatchdogTimerSwitch(int enable);
    int vTimer_WatchdogTimerStatus(int* enabled);
    // Watchdog timeout: one byte, seconds - 1 (0 = 1 s ... 255 = 256 s).
    int vTimer_WatchdogTimerGet(unsigned char* timeout);
    int vTimer_WatchdogTimerSet(unsigned char timeout);
    // Forces a watchdog expiry (the machine restarts); fails while the watchdog is off.
    int vTimer_WatchdogTimerSimulate();

    // Backlight 0-100.
    int vBC_BrightnessValueGet(int* percent);
    int vBC_BrightnessValueSet(int percent);
    // Automatic dimming, 1/0.
    int vBC_AutoDimmingStatusGet(int* enabled);
    int vBC_AutoDimmingSwitch(int enable);

    // Supply voltage on the COM1 pin: 0, 5 or 12 (volts).
    int vIO_COM1VoltageGet(unsigned char* volts);
    int vIO_COM1VoltageSet(unsigned char volts);
    // Line mode of COM2: COM2_RS232, COM2_RS422, COM2_RS485.
    int vIO_COM2TypeGet(ECOM2Type* type);
    int vIO_COM2TypeSet(ECOM2Type type);

    // Charge of the UPS battery, percent.
    int vUPSBatteryCapacity(int* percent);
    // Clears the latched emergency event.
    int EB_EmergencyButtonReset();

    // Vehicle battery voltage in millivolts.
    int vVehicleBatteryVoltage(int* millivolts);
};
