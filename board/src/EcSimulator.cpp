#include "EcSimulator.h"

#include "Board.h"

#include <cstdlib>

namespace tarvik::board {

namespace {

bool faultActive(const BoardState& state, const char* name) { return findFault(state, name) != nullptr; }

void setBit(std::uint8_t& byte, std::uint8_t mask, bool on)
{
    byte = on ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

// EC RAM the firmware owns: versions, temperature and presence come from the board itself, so a
// host write leaves them alone.
bool ecRamReadOnly(std::uint8_t address)
{
    return address == ec::EC_TEMPERATURE || address == ec::EC_MODULE_HW_STATUS ||
           address == ec::EC_FW_VERSION_MAJOR || address == ec::EC_FW_VERSION_MINOR;
}

void ecRamWrite(BoardState& state, std::uint8_t address, std::uint8_t value)
{
    if (ecRamReadOnly(address))
        return;
    // The WWAN module's enable (RF) line only holds while the module has power: enabling an
    // unpowered module, or taking the power away, leaves it disabled.
    if (address == ec::EC_WWAN_BASE_ADDRESS && !(value & ec::kWwanPower))
        value = static_cast<std::uint8_t>(value & ~ec::kWwanEnable);
    state.ec[address] = value;
}

// A module whose power is off cannot be switched on; its CMOS byte shows it off.
bool wlanBtPowered(const BoardState& state) { return state.wlanBtPowerOff == 0; }

struct CommandRow {
    std::uint8_t code;
    void (*run)(BoardState&);
};

// What the EC does for each command code it knows; other codes are received and ignored.
constexpr CommandRow kCommands[] = {
    {ec::EC_CMD_ANTENNA_INTERNAL, [](BoardState& s) { setBit(s.cmos[ec::CMOS_ANTENNA_STATUS], ec::kCmosAntennaExternal, false); }},
    {ec::EC_CMD_ANTENNA_EXTERNAL, [](BoardState& s) { setBit(s.cmos[ec::CMOS_ANTENNA_STATUS], ec::kCmosAntennaExternal, true); }},
    {ec::EC_CMD_GPS_ON, [](BoardState& s) { setBit(s.cmos[ec::CMOS_GPS_STATUS], ec::kCmosModuleOn, true); }},
    {ec::EC_CMD_GPS_OFF, [](BoardState& s) { setBit(s.cmos[ec::CMOS_GPS_STATUS], ec::kCmosModuleOn, false); }},
    // The WLAN module's on bit is also its radio as the WLAN service reports it (WirelessBoard), so
    // these two switch the radio that a KTR machine reads back.
    {ec::EC_CMD_WLAN_ON,
     [](BoardState& s) {
         if (wlanBtPowered(s) && (s.cmos[ec::CMOS_WLAN_STATUS] & ec::kCmosModuleFitted))
             setBit(s.cmos[ec::CMOS_WLAN_STATUS], ec::kCmosModuleOn, true);
     }},
    {ec::EC_CMD_WLAN_OFF, [](BoardState& s) { setBit(s.cmos[ec::CMOS_WLAN_STATUS], ec::kCmosModuleOn, false); }},
    {ec::EC_CMD_BT_ON,
     [](BoardState& s) {
         if (wlanBtPowered(s))
             setBit(s.cmos[ec::CMOS_BT_STATUS], ec::kCmosModuleOn, true);
     }},
    {ec::EC_CMD_BT_OFF, [](BoardState& s) { setBit(s.cmos[ec::CMOS_BT_STATUS], ec::kCmosModuleOn, false); }},
    {ec::EC_CMD_WLANBT_POWER_ON,
     [](BoardState& s) {
         if (wlanBtPowered(s))
             return;
         // Powering up brings the modules back as they were when the power went.
         s.wlanBtPowerOff = 0;
         setBit(s.cmos[ec::CMOS_WLAN_STATUS], ec::kCmosModuleOn, s.wlanOnBeforePowerOff != 0);
         setBit(s.cmos[ec::CMOS_BT_STATUS], ec::kCmosModuleOn, s.btOnBeforePowerOff != 0);
     }},
    {ec::EC_CMD_WLANBT_POWER_OFF,
     [](BoardState& s) {
         if (!wlanBtPowered(s))
             return;
         s.wlanBtPowerOff = 1;
         s.wlanOnBeforePowerOff = (s.cmos[ec::CMOS_WLAN_STATUS] & ec::kCmosModuleOn) ? 1 : 0;
         s.btOnBeforePowerOff = (s.cmos[ec::CMOS_BT_STATUS] & ec::kCmosModuleOn) ? 1 : 0;
         setBit(s.cmos[ec::CMOS_WLAN_STATUS], ec::kCmosModuleOn, false);
         setBit(s.cmos[ec::CMOS_BT_STATUS], ec::kCmosModuleOn, false);
     }},
};

} // namespace

void ecRunCommand(BoardState& state, std::uint8_t code)
{
    for (const CommandRow& row : kCommands) {
        if (row.code == code) {
            row.run(state);
            return;
        }
    }
}

void ecHostWrite(BoardState& state, std::uint16_t port, std::uint8_t value)
{
    switch (port) {
    case ec::EC_COMMAND_PORT:
        // A command byte always starts a new handshake, whatever was in progress.
        switch (value) {
        case ec::EC_HOST_READ: state.ecPhase = EcPhase::ReadAwaitAddress; break;
        case ec::EC_HOST_WRITE: state.ecPhase = EcPhase::WriteAwaitAddress; break;
        case ec::EC_HOST_COMMAND: state.ecPhase = EcPhase::CommandAwaitCode; break;
        default: state.ecPhase = EcPhase::Idle; state.ecStatus = 0; return;
        }
        state.ecStatus = ec::EC_STATUS_COMMAND_TAKEN;
        return;
    case ec::EC_DATA_PORT:
        switch (state.ecPhase) {
        case EcPhase::ReadAwaitAddress:
            state.ecAddress = value;
            state.ecData = state.ec[value];
            state.ecStatus = ec::EC_STATUS_DATA_READY;
            state.ecPhase = EcPhase::ReadDataReady;
            return;
        case EcPhase::WriteAwaitAddress:
            state.ecAddress = value;
            state.ecStatus = faultActive(state, "ec-obf-after-write") ? ec::EC_STATUS_DATA_READY : 0;
            state.ecPhase = EcPhase::WriteAwaitValue;
            return;
        case EcPhase::WriteAwaitValue:
            if (!faultActive(state, "ec-ignore-commands"))
                ecRamWrite(state, state.ecAddress, value);
            state.ecStatus = 0;
            state.ecPhase = EcPhase::Idle;
            return;
        case EcPhase::CommandAwaitCode:
            ++state.ecCommandsReceived;
            state.ecLastCommand = value;
            if (!faultActive(state, "ec-ignore-commands"))
                ecRunCommand(state, value);
            state.ecStatus = 0;
            state.ecPhase = EcPhase::Idle;
            return;
        case EcPhase::Idle:
        case EcPhase::ReadDataReady:
            return; // data without a handshake: the EC drops it
        }
        return;
    case ec::CMOS_INDEX_PORT:
        state.cmosIndex = value;
        return;
    default:
        return;
    }
}

std::uint8_t ecHostRead(BoardState& state, std::uint16_t port)
{
    switch (port) {
    case ec::EC_COMMAND_PORT:
        if (const FaultSlot* stuck = findFault(state, "ec-status-stuck"))
            return static_cast<std::uint8_t>(std::strtoul(stuck->arg, nullptr, 16));
        return state.ecStatus;
    case ec::EC_DATA_PORT:
        if (state.ecPhase == EcPhase::ReadDataReady) {
            state.ecPhase = EcPhase::Idle;
            state.ecStatus = 0;
        }
        return state.ecData;
    case ec::CMOS_DATA_PORT:
        return state.cmos[state.cmosIndex];
    default:
        return 0xFF; // nothing answers on other ports
    }
}

bool ecTransactionOpen(const BoardState& state) { return state.ecPhase != EcPhase::Idle; }

} // namespace tarvik::board
