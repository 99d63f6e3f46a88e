#include "Telnira.h"

#include "CWinIOUtility.h"
#include "ComRef.h"
#include "Diagnostic.h"
#include "EcMap.h"
#include "Idovan.h"
#include "MbnInterfaceManager.h"
#include "Sleeper.h"
#include "TextConvert.h"
#include "WlanService.h"

#include <cerrno>
#include <cstring>

using tarvik::diagnostic;
using namespace tarvik::ecmap;

namespace {

// Time the modules take to switch before a read-back can see it.
constexpr unsigned kSettleMs = 500;

// EC_WLANBT_CONTROL (KQS).
constexpr std::uint8_t kWlanBtPowerBit = 0x01;
constexpr std::uint8_t kWlanModuleBit = 0x02;
constexpr std::uint8_t kBtModuleBit = 0x04;
// EC_WWAN_BASE_ADDRESS.
constexpr std::uint8_t kWwanPowerBit = 0x02;
constexpr std::uint8_t kWwanEnableBit = 0x04;
constexpr std::uint8_t kWwanSimSlot2Bit = 0x08;
// EC_MODULE_HW_STATUS.
constexpr std::uint8_t kWwanFittedBit = 0x01;
constexpr std::uint8_t kWlanFittedBitKqs = 0x02;
// CMOS module bytes.
constexpr std::uint8_t kCmosModuleOnBit = 0x80;
constexpr std::uint8_t kCmosAntennaExternalBit = 0x08;

constexpr int kSimSlot1 = 1;
constexpr int kSimSlot2 = 2;
constexpr int kAntennaExternal = 1;

struct StateText {
    long value;
    const char* text;
};

// WLAN_INTERFACE_STATE.
constexpr StateText kInterfaceStates[] = {
    {0, "Not ready\n"},
    {1, "Connected\n"},
    {2, "First node in a ad hoc network\n"},
    {3, "Disconnecting\n"},
    {4, "Not connected\n"},
    {5, "Attempting to associate with a network\n"},
    {6, "Auto configuration is discovering settings for the network\n"},
    {7, "In process of authenticating\n"},
};

// DOT11_RADIO_STATE.
constexpr StateText kRadioStates[] = {
    {0, "Unknown\n"},
    {1, "On\n"},
    {2, "Off\n"},
};

struct ReadyStateLine {
    MBN_READY_STATE state;
    const char* line;
    int result;
};

constexpr ReadyStateLine kReadyStateLines[] = {
    {MBN_READY_STATE_OFF, "The mobile broadband device stack is off.\n", 0},
    {MBN_READY_STATE_INITIALIZED,
     "The card and stack is powered up and ready to be used for mobile broadband operations.\n", 1},
    {MBN_READY_STATE_SIM_NOT_INSERTED, "The SIM is not inserted.\n", 0},
    {MBN_READY_STATE_BAD_SIM, "The SIM is invalid (PIN Unblock Key retrials have exceeded the limit).\n", 0},
    {MBN_READY_STATE_FAILURE, "General device failure.\n", 0},
    {MBN_READY_STATE_NOT_ACTIVATED, "The subscription is not activated.\n", 0},
    {MBN_READY_STATE_DEVICE_LOCKED,
     "The device is locked by a PIN or password which is preventing the device from initializing and "
     "registering onto the network.\n",
     0},
    {MBN_READY_STATE_DEVICE_BLOCKED,
     "The device is blocked by a PIN or password which is preventing the device from initializing and "
     "registering onto the network.\n",
     0},
};

struct WwanSwitchLines {
    const char* kqsFirst;    // value read, 0x9d
    const char* kqsSecond;   // value to write, 0x9d
    const char* read;        // value read
    const char* written;     // value written
    const char* readBack;    // value read back, or null
};

constexpr WwanSwitchLines kWwanPowerLines = {
    "vCM_WWANPowerOnOff: read value 0x%x, from 0x%x\n",
    "vCM_WWANPowerOnOff: I'm going to set 0x%x, to EC ADDR 0x%x\n",
    "vCM_WWANPowerOnOff,readECDate =0x%x\n",
    "vCM_WWANPowerOnOff,writeECDate =0x%x\n",
    "vCM_WWANPowerStatus,readECDate =0x%x\n",
};

constexpr WwanSwitchLines kWwanModuleLines = {
    "vCM_WWANModuleSwitch: read value 0x%x, from 0x%x\n",
    "vCM_WWANModuleSwitch: I'm going to set 0x%x, to EC ADDR 0x%x\n",
    "vCM_WWANModuleSwitch: byte read from EC_WWAN_BASE_ADDRESS = 0x%x\n",
    "vCM_WWANModuleSwitch: byte wrote to EC_WWAN_BASE_ADDRESS = 0x%x\n",
    nullptr,
};

bool isKqs() { return CIdovan::vDI_ModelType() == CIdovan::MODEL_KQS; }

unsigned readEc(std::uint8_t address) { return CWinIOUtility::ReadECByte(address) & 0xFFu; }

int bitOf(unsigned value, std::uint8_t mask) { return (value & mask) ? 1 : 0; }

unsigned withBit(unsigned value, std::uint8_t mask, int on) { return on ? (value | mask) : (value & ~unsigned{mask}); }

void settle() { tarvik::processSleeper().sleepMs(kSettleMs); }

void writeStateText(const StateText* table, std::size_t rows, long value, const char* otherFormat)
{
    for (std::size_t i = 0; i < rows; ++i) {
        if (table[i].value == value) {
            diagnostic("%s", table[i].text);
            return;
        }
    }
    diagnostic(otherFormat, value);
}

GUID guidOf(const tarvik::InterfaceGuid& bytes)
{
    static_assert(sizeof(GUID) == sizeof(tarvik::InterfaceGuid), "both are the in-memory form");
    GUID guid;
    std::memcpy(&guid, bytes.data(), sizeof guid);
    return guid;
}

// KQS: one bit of EC_WLANBT_CONTROL, read, changed and written back; no read-back.
int switchWlanBtBit(std::uint8_t mask, int on, const char* firstLine, const char* secondLine)
{
    unsigned v = readEc(EC_WLANBT_CONTROL);
    diagnostic(firstLine, v, unsigned{EC_WLANBT_CONTROL});
    v = withBit(v, mask, on) & 0xFFu;
    diagnostic(secondLine, v, unsigned{EC_WLANBT_CONTROL});
    CWinIOUtility::WriteECByte(EC_WLANBT_CONTROL, static_cast<std::uint8_t>(v));
    return 1;
}

// One bit of EC_WWAN_BASE_ADDRESS. KQS: written without a read-back; other models: read back after
// the settling time and compared with the argument itself (only 0 and 1 can verify). False when
// the read-back differs.
bool switchWwanBit(std::uint8_t mask, int on, const WwanSwitchLines& lines)
{
    unsigned v = readEc(EC_WWAN_BASE_ADDRESS);
    if (isKqs()) {
        diagnostic(lines.kqsFirst, v, unsigned{EC_WWAN_BASE_ADDRESS});
        v = withBit(v, mask, on) & 0xFFu;
        diagnostic(lines.kqsSecond, v, unsigned{EC_WWAN_BASE_ADDRESS});
        CWinIOUtility::WriteECByte(EC_WWAN_BASE_ADDRESS, static_cast<std::uint8_t>(v));
        return true;
    }
    diagnostic(lines.read, v);
    v = withBit(v, mask, on) & 0xFFu;
    CWinIOUtility::WriteECByte(EC_WWAN_BASE_ADDRESS, static_cast<std::uint8_t>(v));
    diagnostic(lines.written, v);
    settle();
    const unsigned back = readEc(EC_WWAN_BASE_ADDRESS);
    if (lines.readBack)
        diagnostic(lines.readBack, back);
    return bitOf(back, mask) == on;
}

} // namespace

CTelnira::CTelnira()
{
    m_initialised = false;
    Initialize();
}

CTelnira::~CTelnira()
{
    if (m_initialised) {
        m_initialised = false;
        CWinIOUtility::ReleasePortAccess();
    }
}

bool CTelnira::Initialize()
{
    // A repeated Initialize keeps the unit the object holds: one taken twice would never be given
    // back, and the driver would stay started after the last object is gone.
    if (!m_initialised)
        m_initialised = CWinIOUtility::AcquirePortAccess();
    return true;
}

bool CTelnira::Uninitialize()
{
    if (m_initialised) {
        m_initialised = false;
        CWinIOUtility::ReleasePortAccess();
    }
    return true;
}

int CTelnira::getLastErrorNumber() { return m_lastErrorNumber; }

int CTelnira::fail(std::int32_t code)
{
    m_lastErrorNumber = code;
    return 0;
}

bool CTelnira::checkInitialised()
{
    if (!m_initialised)
        m_lastErrorNumber = kErrorNotInitialised;
    return m_initialised;
}

// ----- WLAN, Bluetooth and antenna -----------------------------------------------------------

int CTelnira::vCM_WLANPowerOnOff(int on)
{
    if (!checkInitialised())
        return 0;
    if (isKqs())
        return switchWlanBtBit(kWlanBtPowerBit, on, "vCM_WLANPowerOnOff: read value 0x%x, from 0x%x\n",
                               "vCM_WLANPowerOnOff: I'm going to set 0x%x, to EC ADDR 0x%x\n");
    CWinIOUtility::SendECCommand(on ? EC_CMD_WLANBT_POWER_ON : EC_CMD_WLANBT_POWER_OFF);
    return 1;
}

int CTelnira::vCM_BluetoothPowerOnOff(int on)
{
    if (!checkInitialised())
        return 0;
    if (isKqs())
        return switchWlanBtBit(kWlanBtPowerBit, on, "vCM_BluetoothPowerOnOff: read value 0x%x, from 0x%x\n",
                               "vCM_BluetoothPowerOnOff: I'm going to set 0x%x, to EC ADDR 0x%x\n");
    CWinIOUtility::SendECCommand(on ? EC_CMD_WLANBT_POWER_ON : EC_CMD_WLANBT_POWER_OFF);
    return 1;
}

int CTelnira::vCM_WLANPowerStatus(int* status)
{
    if (!status)
        return fail(kErrorInvalidArgument);
    if (isKqs()) {
        const unsigned v = readEc(EC_WLANBT_CONTROL);
        diagnostic("vCM_BluetoothPowerStatus: read value 0x%x, from 0x%x\n", v, unsigned{EC_WLANBT_CONTROL});
        *status = bitOf(v, kWlanBtPowerBit);
        return 1;
    }
    // Off unless an interface reports its radio on.
    int wlan = 0;
    GetWifiState(&wlan);
    int bluetooth = wlan;
    if (m_initialised)
        bluetooth = bitOf(CWinIOUtility::ReadCMOSByte(CMOS_BT_STATUS), kCmosModuleOnBit);
    else
        m_lastErrorNumber = kErrorNotInitialised;
    *status = (wlan == 1 || bluetooth == 1) ? 1 : 0;
    return 1;
}

int CTelnira::vCM_BluetoothPowerStatus(int* status) { return vCM_WLANPowerStatus(status); }

int CTelnira::vCM_WLANModuleSwitch(int on)
{
    const CIdovan::ModelType model = CIdovan::vDI_ModelType();
    if (model == CIdovan::MODEL_KQS)
        return switchWlanBtBit(kWlanModuleBit, on, "vCM_WLANModuleSwitch: read value 0x%x, from 0x%x\n",
                               "vCM_WLANModuleSwitch: I'm going to set 0x%x, to EC ADDR 0x%x\n");
    if (model == CIdovan::MODEL_KTR)
        return vCM_WLANModuleSwitchEc(on);
    if (on)
        TurnOnWifi();
    else
        TurnOffWifi();
    return 1;
}

int CTelnira::vCM_WLANModuleStatus(int* status)
{
    if (!status)
        return fail(kErrorInvalidArgument);
    if (isKqs()) {
        *status = bitOf(readEc(EC_WLANBT_CONTROL), kWlanModuleBit);
        return 1;
    }
    return GetWifiState(status);
}

int CTelnira::vCM_WLANModuleHWStatus(int* fitted)
{
    if (!fitted)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    if (isKqs()) {
        const unsigned v = readEc(EC_MODULE_HW_STATUS);
        diagnostic("vCM_WLANModuleHWStatus: get value:0x%x from 0x%x\n", v, unsigned{EC_MODULE_HW_STATUS});
        *fitted = bitOf(v, kWlanFittedBitKqs);
        return 1;
    }
    *fitted = CWinIOUtility::ReadCMOSByte(CMOS_WLAN_STATUS) != 0 ? 1 : 0;
    return 1;
}

int CTelnira::vCM_BluetoothModuleSwitch(int on)
{
    if (!checkInitialised())
        return 0;
    if (isKqs())
        return switchWlanBtBit(kBtModuleBit, on, "vCM_BluetoothModuleSwitch: read value 0x%x, from 0x%x\n",
                               "vCM_BluetoothModuleSwitch: I'm going to set 0x%x, to EC ADDR 0x%x\n");
    CWinIOUtility::SendECCommand(on ? EC_CMD_BT_ON : EC_CMD_BT_OFF);
    settle();
    // Compared with the argument itself: only 0 and 1 can verify.
    if (bitOf(CWinIOUtility::ReadCMOSByte(CMOS_BT_STATUS), kCmosModuleOnBit) != on)
        return fail(kErrorSwitchFailed);
    return 1;
}

int CTelnira::vCM_BluetoothModuleStatus(int* status)
{
    if (!status)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    if (isKqs())
        *status = bitOf(readEc(EC_WLANBT_CONTROL), kBtModuleBit);
    else
        *status = bitOf(CWinIOUtility::ReadCMOSByte(CMOS_BT_STATUS), kCmosModuleOnBit);
    return 1;
}

int CTelnira::vCM_WLANAntennaSwitch(int selection)
{
    if (!checkInitialised())
        return 0;
    // Anything but the external antenna selects, and is verified as, the internal one.
    const int wanted = selection == kAntennaExternal ? 1 : 0;
    CWinIOUtility::SendECCommand(wanted ? EC_CMD_ANTENNA_EXTERNAL : EC_CMD_ANTENNA_INTERNAL);
    settle();
    if (bitOf(CWinIOUtility::ReadCMOSByte(CMOS_ANTENNA_STATUS), kCmosAntennaExternalBit) != wanted)
        return fail(kErrorSwitchFailed);
    return 1;
}

int CTelnira::vCM_WLANAntennaStatus(int* selection)
{
    if (!selection)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    *selection = bitOf(CWinIOUtility::ReadCMOSByte(CMOS_ANTENNA_STATUS), kCmosAntennaExternalBit);
    return 1;
}

int CTelnira::vCM_WLANModuleSwitchEc(int on)
{
    if (!checkInitialised())
        return 0;
    CWinIOUtility::SendECCommand(on ? EC_CMD_WLAN_ON : EC_CMD_WLAN_OFF);
    settle();
    int state = 0; // off unless an interface reports its radio on
    if (isKqs())
        state = bitOf(readEc(EC_WLANBT_CONTROL), kWlanModuleBit);
    else
        GetWifiState(&state);
    if (state != on)
        return fail(kErrorSwitchFailed);
    return 1;
}

int CTelnira::vCM_WLANModuleStatusEc(int* status)
{
    if (!checkInitialised())
        return 0;
    *status = bitOf(CWinIOUtility::ReadCMOSByte(CMOS_WLAN_STATUS), kCmosModuleOnBit);
    return 1;
}

int CTelnira::GetWifiState(int* state)
{
    tarvik::WlanService& wlan = tarvik::processWlanService();
    if (const std::uint32_t error = wlan.open(); error != tarvik::kWlanSuccess) {
        diagnostic("WlanOpenHandle failed with error: %u\n", error);
        return 0;
    }
    std::vector<tarvik::WlanInterface> interfaces;
    if (const std::uint32_t error = wlan.enumInterfaces(interfaces); error != tarvik::kWlanSuccess) {
        diagnostic("WlanEnumInterfaces failed with error: %u\n", error);
        return 0;
    }
    diagnostic("Num Entries: %lu\n", static_cast<unsigned long>(interfaces.size()));
    diagnostic("Current Index: %lu\n", 0ul);
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        const tarvik::WlanInterface& entry = interfaces[i];
        const int index = static_cast<int>(i);
        diagnostic("  Interface Index[%u]:\t %lu\n", static_cast<unsigned>(i), static_cast<unsigned long>(i));
        OLECHAR guidText[kGuidTextChars];
        if (StringFromGUID2(guidOf(entry.guid), guidText, kGuidTextChars) == 0)
            diagnostic("StringFromGUID2 failed\n");
        else
            diagnostic("  InterfaceGUID[%d]:\t %s\n", index, tarvik::wideToUtf8(guidText).c_str());
        diagnostic("  Interface Description[%d]: %s", index, tarvik::wideToUtf8(entry.description).c_str());
        diagnostic("\n");
        diagnostic("  Interface State[%d]:\t ", index);
        writeStateText(kInterfaceStates, std::size(kInterfaceStates), entry.state, "Unknown state %ld\n");

        std::vector<tarvik::WlanPhyRadio> phys;
        if (const std::uint32_t error = wlan.queryRadioState(entry.guid, phys); error != tarvik::kWlanSuccess) {
            diagnostic("WlanQueryInterface failed with error: %u\n", error);
            continue;
        }
        const tarvik::WlanPhyRadio phy0 = phys.empty() ? tarvik::WlanPhyRadio{} : phys.front();
        diagnostic("  WLAN_RADIO_STATE for this interface\n");
        diagnostic("  Number of valid PHYs:\t %u\n", static_cast<unsigned>(phys.size()));
        diagnostic("  Radio state:\n");
        diagnostic("      Index of PHYs type[0]:\t %u\n", phy0.phyIndex);
        diagnostic("      Software radio state[0]:\t ");
        writeStateText(kRadioStates, std::size(kRadioStates), phy0.software, "Other Unknown state %ld\n");
        diagnostic("      Hardware radio state[0]:\t ");
        writeStateText(kRadioStates, std::size(kRadioStates), phy0.hardware, "Other Unknown state %ld\n");
        diagnostic("\n");
        // With several interfaces the last one that reports on or off decides.
        if (phy0.software == tarvik::kWlanRadioOn)
            *state = 1;
        else if (phy0.software == tarvik::kWlanRadioOff)
            *state = 0;
    }
    return 1;
}

void CTelnira::setWifiRadio(bool on)
{
    tarvik::WlanService& wlan = tarvik::processWlanService();
    if (const std::uint32_t error = wlan.open(); error != tarvik::kWlanSuccess) {
        diagnostic("WlanOpenHandle failed with error: %u\n", error);
        return;
    }
    std::vector<tarvik::WlanInterface> interfaces;
    if (const std::uint32_t error = wlan.enumInterfaces(interfaces); error != tarvik::kWlanSuccess) {
        diagnostic("WlanEnumInterfaces failed with error: %u\n", error);
        return;
    }
    if (interfaces.empty())
        return;
    const std::uint32_t error = wlan.setSoftwareRadioState(interfaces.front().guid, 0,
                                                           on ? tarvik::kWlanRadioOn : tarvik::kWlanRadioOff);
    if (error == tarvik::kWlanSuccess)
        diagnostic("set state success!\n");
    else
        diagnostic("set state failed!err is %d\n", static_cast<int>(error));
}

void CTelnira::TurnOnWifi() { setWifiRadio(true); }

void CTelnira::TurnOffWifi() { setWifiRadio(false); }

// ----- WWAN ------------------------------------------------------------------------------------

int CTelnira::vCM_WWANPowerOnOff(int on)
{
    if (!checkInitialised())
        return 0;
    return switchWwanBit(kWwanPowerBit, on, kWwanPowerLines) ? 1 : fail(kErrorSwitchFailed);
}

int CTelnira::vCM_WWANPowerStatus(int* status)
{
    if (!status)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    const unsigned v = readEc(EC_WWAN_BASE_ADDRESS);
    if (!isKqs())
        diagnostic("vCM_WWANPowerStatus,readECDate =0x%x\n", v);
    *status = bitOf(v, kWwanPowerBit);
    return 1;
}

int CTelnira::vCM_WWANModuleSwitch(int on)
{
    if (!checkInitialised())
        return 0;
    return switchWwanBit(kWwanEnableBit, on, kWwanModuleLines) ? 1 : fail(kErrorSwitchFailed);
}

int CTelnira::vCM_WWANModuleStatus(int* status)
{
    if (!status)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    *status = bitOf(readEc(EC_WWAN_BASE_ADDRESS), kWwanEnableBit);
    return 1;
}

int CTelnira::vCM_WWANModuleHWStatus(int* fitted)
{
    if (!fitted)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    const unsigned v = readEc(EC_MODULE_HW_STATUS);
    if (isKqs())
        diagnostic("vCM_WWANModuleHWStatus: get value:0x%x from 0x%x\n", v, unsigned{EC_MODULE_HW_STATUS});
    *fitted = bitOf(v, kWwanFittedBit);
    return 1;
}

int CTelnira::vCM_WWANSIMSlotSwitch(int slot)
{
    // Negative slots are out of range too.
    if (static_cast<unsigned>(slot) > kSimSlot2)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    unsigned v = readEc(EC_WWAN_BASE_ADDRESS);
    if (slot == kSimSlot1)
        v &= ~unsigned{kWwanSimSlot2Bit};
    else if (slot == kSimSlot2)
        v |= kWwanSimSlot2Bit;
    else
        return fail(kErrorInvalidArgument); // slot 0: read, nothing written
    CWinIOUtility::WriteECByte(EC_WWAN_BASE_ADDRESS, static_cast<std::uint8_t>(v));
    settle();
    const int back = bitOf(readEc(EC_WWAN_BASE_ADDRESS), kWwanSimSlot2Bit) ? kSimSlot2 : kSimSlot1;
    if (back != slot)
        return fail(kErrorSwitchFailed);
    return 1;
}

int CTelnira::vCM_WWANSIMSlotStatus(int* slot)
{
    if (!slot)
        return fail(kErrorInvalidArgument);
    if (!checkInitialised())
        return 0;
    *slot = bitOf(readEc(EC_WWAN_BASE_ADDRESS), kWwanSimSlot2Bit) ? kSimSlot2 : kSimSlot1;
    return 1;
}

int CTelnira::vCM_WWANSIMCardIsInserted()
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(com)) {
        diagnostic("CoInitialize fail hr = 0x%x, lastError = 0x%x\n", static_cast<unsigned>(com),
                   static_cast<unsigned>(errno));
        return 0;
    }
    int result = 0;
    [&] {
        ComRef<IMbnInterfaceManager> manager;
        const HRESULT created = MbnInterfaceManager::create(IID_IMbnInterfaceManager, manager.outVoid());
        if (FAILED(created)) {
            diagnostic("Failed to create instance: err %08X\n", static_cast<unsigned>(created));
            return;
        }
        SAFEARRAY* interfaces = nullptr;
        if (FAILED(manager->GetInterfaces(&interfaces)) || !interfaces) {
            diagnostic("No 3G module.\n");
            return;
        }
        LONG lower = 0;
        ComRef<IMbnInterface> first;
        if (FAILED(SafeArrayGetLBound(interfaces, 1, &lower)))
            diagnostic("SafeArrayGetLBound fail\n");
        else if (FAILED(SafeArrayGetElement(interfaces, &lower, first.out())) || !first)
            diagnostic("SafeArrayGetElement fail\n");
        SafeArrayDestroy(interfaces);
        // A ready state the service cannot tell counts as no SIM.
        MBN_READY_STATE ready = MBN_READY_STATE_SIM_NOT_INSERTED;
        if (!first || FAILED(first->GetReadyState(&ready)))
            return;
        for (const ReadyStateLine& row : kReadyStateLines) {
            if (row.state == ready) {
                diagnostic("%s", row.line);
                result = row.result;
            }
        }
    }();
    CoUninitialize();
    return result;
}
