#include "WirelessBoard.h"

#include "Board.h"
#include "EcSimulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvik::board {

namespace {

constexpr int kDefaultListed = 1;
constexpr int kMaxReadyState = 7;
constexpr int kMaxWlanState = 7;

// WLAN_INTERFACE_STATE values used as factory values.
constexpr std::int32_t kWlanConnected = 1;
constexpr std::int32_t kWlanDisconnected = 4;
// MBN_READY_STATE values used as factory values.
constexpr std::int32_t kReadyInitialized = 1;
constexpr std::int32_t kReadySimNotInserted = 2;

constexpr const char* kBuiltInWlanDescription = "Intel(R) Wi-Fi 6 AX201 160MHz";

// Board-specific but fixed GUIDs: {3F1A6C2E-8B4D-4E7A-9C51-00000000000n} for WLAN adapter n and
// {7D5C2B90-4E1F-4A3C-8B6D-00000000000n} for modem n.
constexpr std::uint8_t kWlanGuidHead[15] = {0x2E, 0x6C, 0x1A, 0x3F, 0x4D, 0x8B, 0x7A, 0x4E,
                                            0x9C, 0x51, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr const char* kMbnIdFormat = "{7D5C2B90-4E1F-4A3C-8B6D-%012X}";

void factoryValues(WirelessState& s)
{
    std::memset(&s, 0, sizeof s);
    for (std::size_t i = 0; i < kWirelessSlots; ++i) {
        WlanSlot& w = s.wlan[i];
        std::copy(std::begin(kWlanGuidHead), std::end(kWlanGuidHead), w.guid);
        w.guid[15] = static_cast<std::uint8_t>(i);
        if (i == 0)
            std::snprintf(w.description, sizeof w.description, "%s", kBuiltInWlanDescription);
        else
            std::snprintf(w.description, sizeof w.description, "Wireless LAN USB Adapter #%zu", i + 1);
        w.state = i == 0 ? kWlanConnected : kWlanDisconnected;
        w.softwareRadioOn = 1;
        w.hardwareRadioOn = 1;

        MbnSlot& m = s.mbn[i];
        std::snprintf(m.id, sizeof m.id, kMbnIdFormat, static_cast<unsigned>(i));
        m.readyState = kReadyInitialized;
        m.softwareRadioOn = 1;
        m.hardwareRadioOn = 1;
    }
    s.simReadyState[0] = kReadyInitialized;
    s.simReadyState[1] = kReadySimNotInserted;
}

bool bit(std::uint8_t byte, std::uint8_t mask) { return (byte & mask) != 0; }

void setBit(std::uint8_t& byte, std::uint8_t mask, bool on)
{
    byte = on ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

// EC RAM 0xBE on KQS machines.
constexpr std::uint8_t kKqsWlanBtPower = 0x01;
constexpr std::uint8_t kKqsWlanOn = 0x02;

Status noSuchSlot(const char* kind, int slot)
{
    return Status::failure(std::string(kind) + " interface " + std::to_string(slot) + " is not listed" +
                           (slot == 0 ? " (the built-in module is not fitted or not powered)" : ""));
}

} // namespace

struct WirelessBoard::EcView {
    bool kqs = false;
    bool wlanListed = false;
    bool wlanOn = false;
    bool wwanListed = false;
    bool wwanEnabled = false;
    int simSlot = 1;
};

WirelessBoard::WirelessBoard(Board& board, std::unique_ptr<MappedState<WirelessState>> memory)
    : board_(board), memory_(std::move(memory))
{
}

Status WirelessBoard::reset(const std::string& dir)
{
    // An existing file is reset in place, so that processes using it see the reset.
    auto memory = MappedState<WirelessState>::open(dir);
    if (!memory)
        memory = MappedState<WirelessState>::create(dir);
    if (!memory)
        return Status::failure(memory.error());
    (*memory)->locked(factoryValues);
    return ok();
}

Result<std::unique_ptr<WirelessBoard>> WirelessBoard::open(Board& board)
{
    using R = Result<std::unique_ptr<WirelessBoard>>;
    auto memory = MappedState<WirelessState>::openOrCreate(board.dir(), factoryValues);
    if (!memory)
        return R::failure(memory.error());
    return std::unique_ptr<WirelessBoard>(new WirelessBoard(board, std::move(*memory)));
}

bool WirelessBoard::isKqs()
{
    auto profile = board_.profile();
    return profile && profile->get("board", "Model").value_or("") == "KQS";
}

WirelessBoard::EcView WirelessBoard::viewOf(const BoardState& s, bool kqs)
{
    EcView v;
    v.kqs = kqs;
    const std::uint8_t presence = s.ec[ec::EC_MODULE_HW_STATUS];
    const std::uint8_t wwan = s.ec[ec::EC_WWAN_BASE_ADDRESS];
    if (kqs) {
        const std::uint8_t control = s.ec[ec::EC_WLANBT_CONTROL];
        v.wlanListed = bit(presence, ec::kPresenceWlanKqs) && bit(control, kKqsWlanBtPower);
        v.wlanOn = bit(control, kKqsWlanOn);
    } else {
        const std::uint8_t cmos = s.cmos[ec::CMOS_WLAN_STATUS];
        v.wlanListed = bit(cmos, ec::kCmosModuleFitted) && s.wlanBtPowerOff == 0;
        v.wlanOn = bit(cmos, ec::kCmosModuleOn);
    }
    v.wwanListed = bit(presence, ec::kPresenceWwan) && bit(wwan, ec::kWwanPower);
    v.wwanEnabled = bit(wwan, ec::kWwanEnable);
    v.simSlot = bit(wwan, ec::kWwanSimSlot2) ? 2 : 1;
    return v;
}

WirelessBoard::EcView WirelessBoard::ecView()
{
    const bool kqs = isKqs();
    return board_.memory().locked([&](BoardState& s) { return viewOf(s, kqs); });
}

int WirelessBoard::listedCount(const char* profileName)
{
    auto profile = board_.profile();
    if (!profile)
        return kDefaultListed;
    const auto text = profile->get("hardware", profileName);
    if (!text)
        return kDefaultListed;
    char* end = nullptr;
    const long n = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || *end != '\0')
        return kDefaultListed;
    return static_cast<int>(std::clamp<long>(n, 0, kWirelessSlots));
}

std::vector<WirelessBoard::Wlan> WirelessBoard::wlanInterfaces()
{
    const int count = listedCount("WLANInterfaces");
    const EcView ec = ecView();
    std::vector<Wlan> list;
    memory_->locked([&](WirelessState& s) {
        for (int i = 0; i < count; ++i) {
            if (i == 0 && !ec.wlanListed)
                continue;
            const WlanSlot& w = s.wlan[i];
            Wlan entry{i, {}, std::string(w.description, strnlen(w.description, sizeof w.description)), w.state,
                       i == 0 ? ec.wlanOn : w.softwareRadioOn != 0, w.hardwareRadioOn != 0};
            std::copy(std::begin(w.guid), std::end(w.guid), entry.guid);
            list.push_back(entry);
        }
    });
    return list;
}

std::vector<WirelessBoard::Mbn> WirelessBoard::mbnInterfaces()
{
    const int count = listedCount("MBNInterfaces");
    const EcView ec = ecView();
    std::vector<Mbn> list;
    memory_->locked([&](WirelessState& s) {
        for (int i = 0; i < count; ++i) {
            if (i == 0 && !ec.wwanListed)
                continue;
            const MbnSlot& m = s.mbn[i];
            list.push_back({i, std::string(m.id, strnlen(m.id, sizeof m.id)),
                            i == 0 ? s.simReadyState[ec.simSlot - 1] : m.readyState, m.softwareRadioOn != 0,
                            i == 0 ? ec.wwanEnabled : m.hardwareRadioOn != 0});
        }
    });
    return list;
}

Status WirelessBoard::setWlanSoftwareRadio(int slot, bool on)
{
    if (slot == 0) {
        // Looked at and switched under the board lock: the EC may power the module off meanwhile.
        const bool kqs = isKqs();
        const bool anyListed = listedCount("WLANInterfaces") > 0;
        const bool switched = board_.memory().locked([&](BoardState& s) {
            if (!anyListed || !viewOf(s, kqs).wlanListed)
                return false;
            if (kqs)
                setBit(s.ec[ec::EC_WLANBT_CONTROL], kKqsWlanOn, on);
            else
                setBit(s.cmos[ec::CMOS_WLAN_STATUS], ec::kCmosModuleOn, on);
            return true;
        });
        return switched ? ok() : noSuchSlot("WLAN", slot);
    }
    if (slot < 0 || slot >= listedCount("WLANInterfaces"))
        return noSuchSlot("WLAN", slot);
    memory_->locked([&](WirelessState& s) { s.wlan[slot].softwareRadioOn = on ? 1 : 0; });
    return ok();
}

Status WirelessBoard::setWlanHardwareRadio(int slot, bool on)
{
    if (slot < 0 || slot >= static_cast<int>(kWirelessSlots))
        return noSuchSlot("WLAN", slot);
    memory_->locked([&](WirelessState& s) { s.wlan[slot].hardwareRadioOn = on ? 1 : 0; });
    return ok();
}

Status WirelessBoard::setWlanState(int slot, std::int32_t state)
{
    if (slot < 0 || slot >= static_cast<int>(kWirelessSlots))
        return noSuchSlot("WLAN", slot);
    if (state < 0 || state > kMaxWlanState)
        return Status::failure("a WLAN interface state is 0 to 7");
    memory_->locked([&](WirelessState& s) { s.wlan[slot].state = state; });
    return ok();
}

Status WirelessBoard::setMbnSoftwareRadio(int slot, bool on)
{
    if (slot < 0 || slot >= static_cast<int>(kWirelessSlots))
        return noSuchSlot("mobile-broadband", slot);
    memory_->locked([&](WirelessState& s) { s.mbn[slot].softwareRadioOn = on ? 1 : 0; });
    return ok();
}

Status WirelessBoard::setMbnHardwareRadio(int slot, bool on)
{
    if (slot == 0)
        return Status::failure("the built-in modem's hardware radio is its enable bit, EC RAM 0x9D bit 2");
    if (slot < 0 || slot >= static_cast<int>(kWirelessSlots))
        return noSuchSlot("mobile-broadband", slot);
    memory_->locked([&](WirelessState& s) { s.mbn[slot].hardwareRadioOn = on ? 1 : 0; });
    return ok();
}

Status WirelessBoard::setMbnReadyState(int slot, int state)
{
    if (slot < 0 || slot >= static_cast<int>(kWirelessSlots))
        return noSuchSlot("mobile-broadband", slot);
    if (state < 0 || state > kMaxReadyState)
        return Status::failure("a ready state is 0 to 7");
    if (slot == 0)
        return setSimReadyState(ecView().simSlot, state);
    memory_->locked([&](WirelessState& s) { s.mbn[slot].readyState = state; });
    return ok();
}

Status WirelessBoard::setSimReadyState(int simSlot, int state)
{
    if (simSlot != 1 && simSlot != 2)
        return Status::failure("a SIM slot is 1 or 2");
    if (state < 0 || state > kMaxReadyState)
        return Status::failure("a ready state is 0 to 7");
    memory_->locked([&](WirelessState& s) { s.simReadyState[simSlot - 1] = state; });
    return ok();
}

std::uint32_t WirelessBoard::nextRequestId()
{
    return memory_->locked([](WirelessState& s) { return ++s.lastRequestId; });
}

void WirelessBoard::requestCompleted()
{
    memory_->locked([](WirelessState& s) { ++s.requestsCompleted; });
}

std::uint32_t WirelessBoard::requestsCompleted()
{
    return memory_->locked([](WirelessState& s) { return s.requestsCompleted; });
}

} // namespace tarvik::board
