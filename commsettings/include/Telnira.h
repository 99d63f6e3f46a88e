#pragma once

#include "ComCompat.h"

#include <atomic>
#include <cstdint>

#define TELNIRA_EXPORT __attribute__((visibility("default")))

// Communication settings: WLAN, Bluetooth, WLAN antenna and WWAN module of the board, and the SIM.
//
// Results: 1 = success, 0 = failure with the code kept for getLastErrorNumber (a later success does
// not clear it). Switch and state values: 1 = on, 0 = off; antenna: 1 = external, 0 = internal; SIM
// slot: 1 or 2. Out values are written only on success paths; callers preset them to 0. The model
// (Idovan's vDI_ModelType) picks the hardware path on every call. The object holds one unit of the
// library's own port-access use count while it lives. Diagnostic lines go to standard output. Call
// from one thread; a switch blocks for its EC transactions and, where it reads its effect back, for
// 500 ms more.
class TELNIRA_EXPORT CTelnira {
public:
    static constexpr std::int32_t kErrorNotInitialised = static_cast<std::int32_t>(0x80000002);
    static constexpr std::int32_t kErrorInvalidArgument = static_cast<std::int32_t>(0x80000003);
    static constexpr std::int32_t kErrorSwitchFailed = static_cast<std::int32_t>(0x80000006);

    CTelnira();
    ~CTelnira();
    CTelnira(const CTelnira&) = delete;
    CTelnira& operator=(const CTelnira&) = delete;

    // Takes the port-access unit unless the object holds it already; always true (a failed start
    // shows only as kErrorNotInitialised).
    bool Initialize();
    // Gives the unit back if held; always true.
    bool Uninitialize();
    int getLastErrorNumber();

    // WLAN and Bluetooth power (one combined power on every model; the two names differ only in
    // their diagnostic lines). No read-back.
    int vCM_WLANPowerOnOff(int on);
    int vCM_BluetoothPowerOnOff(int on);
    // 1 when the combined power is on (KQS), or when the WLAN radio or the Bluetooth module is on.
    int vCM_WLANPowerStatus(int* status);
    int vCM_BluetoothPowerStatus(int* status);
    // KQS: EC bit; KTR: EC command, read back after 500 ms; other models: the WLAN radio, no read-back.
    int vCM_WLANModuleSwitch(int on);
    // Other than KQS: the result of reading the WLAN radio (0 when the WLAN service is unusable).
    int vCM_WLANModuleStatus(int* status);
    int vCM_WLANModuleHWStatus(int* fitted);
    // Other than KQS: EC command, read back after 500 ms.
    int vCM_BluetoothModuleSwitch(int on);
    int vCM_BluetoothModuleStatus(int* status);
    // 1 selects the external antenna, anything else the internal one; read back after 500 ms.
    int vCM_WLANAntennaSwitch(int selection);
    int vCM_WLANAntennaStatus(int* selection);

    // WWAN module power and enable (other than KQS: read back after 500 ms).
    int vCM_WWANPowerOnOff(int on);
    int vCM_WWANPowerStatus(int* status);
    int vCM_WWANModuleSwitch(int on);
    int vCM_WWANModuleStatus(int* status);
    int vCM_WWANModuleHWStatus(int* fitted);
    // Slot 1 or 2; anything else is kErrorInvalidArgument. Read back after 500 ms.
    int vCM_WWANSIMSlotSwitch(int slot);
    int vCM_WWANSIMSlotStatus(int* slot);
    // 1 only when the first mobile-broadband interface is ready (SIM present and unlocked).
    int vCM_WWANSIMCardIsInserted();

private:
    int vCM_WLANModuleSwitchEc(int on);
    int vCM_WLANModuleStatusEc(int* status);
    int GetWifiState(int* state);
    void TurnOnWifi();
    void TurnOffWifi();

    bool checkInitialised();
    int fail(std::int32_t code);
    void setWifiRadio(bool on);

    std::int32_t m_lastErrorNumber = 0;
    bool m_initialised = false;
};

// The event sink a CWwanControl registers for the radio events of the mobile-broadband service.
// Reference counted (it deletes itself when the count falls to 0; a new sink starts at 0). The
// service calls it on a worker thread of its own.
class TELNIRA_EXPORT CMbnSinks final : public IMbnRadioEvents {
public:
    CMbnSinks() = default;
    CMbnSinks(const CMbnSinks&) = delete;
    CMbnSinks& operator=(const CMbnSinks&) = delete;

    // IUnknown and IMbnRadioEvents only.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT OnRadioStateChange(IMbnRadio* radio) override;
    // Keeps the radio as the library's last reported one and signals the completion event of a
    // SetRadioState still in progress.
    HRESULT OnSetSoftwareRadioStateComplete(IMbnRadio* radio, ULONG requestId, HRESULT status) override;

private:
    ~CMbnSinks() override = default;

    std::atomic<LONG> m_refCount{0};
};

// Software radio and SIM presence of mobile-broadband interfaces, named by id (the GUID text the
// service gives). The object holds a COM initialisation of the thread that made it. A radio change
// is asked for and not waited for. Results: 0 when the service or the interface cannot be reached.
class TELNIRA_EXPORT CWwanControl {
public:
    CWwanControl();
    ~CWwanControl();
    CWwanControl(const CWwanControl&) = delete;
    CWwanControl& operator=(const CWwanControl&) = delete;

    MBN_RADIO GetRadioState(const wchar_t* interfaceId);
    MBN_RADIO GetDefaultRadioState();
    // 0 for no id or a state the radio already has; otherwise 1, whether or not the request was made.
    int SetRadioState(int on, const wchar_t* interfaceId);
    int SetDefaultRadioState(int on);
    // 1 unless the SIM is reported missing or the interface cannot be had.
    int isSimCardInserted(const wchar_t* interfaceId);
    int isDefaultSimCardInserted();

private:
    static constexpr HRESULT kNoStatus = 575;

    HRESULT InitApp();
    HRESULT InitInterfaceMgr();
    void DeInitApp();
    void DeInitInterfaceMgr();
    void EnumInterface();
    bool recheckCom();
    bool holdsComInitialisation() const;
    // Every operation starts from a new manager (kept library-wide); a reference for the caller, or
    // null when it cannot be made.
    IMbnInterfaceManager* freshManager();

    HRESULT m_comStatus = kNoStatus;
    HRESULT m_creationStatus = kNoStatus;
    LPOLESTR m_defaultInterfaceId = nullptr; // task allocator
    LPOLESTR m_secondInterfaceId = nullptr;  // task allocator
};
