#include "Board.h"

#include "EcSimulator.h"
#include "PowerBoard.h"
#include "SessionBoard.h"
#include "WirelessBoard.h"
#include "gps/GpsReceiverSettings.h"
#include "VehicleModel.h"
#include "j1939/VehicleSettings.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::board {

namespace {

struct Preset {
    const char* model;
    const char* biosVersion;
    const char* systemSku;
    const char* baseBoardVersion;
    unsigned ecMajor;
    unsigned ecMinor;
};

// One row per model of the model table, plus a machine whose BIOS string matches none. KQS and
// KZS machines carry their board version in the SKU.
constexpr Preset kPresets[] = {
    {"KTA", "KTA1.06", "GX58-KTA-STD", "V1.2", 1, 0x23},
    {"KTE", "KTE1.03", "GX58-KTE-STD", "V1.1", 1, 0x12},
    {"KTH", "KTH1.10", "GX58-KTH-STD", "V2.0", 2, 0x05},
    {"KTM", "KTM2.01", "RQ63-KTM-STD", "V1.3", 2, 0x0A},
    {"KTR", "KTR1.04", "GX58-KTR-STD", "V1.0", 1, 0x30},
    {"KPN", "KPN1.02", "GX58-KPN-STD", "V1.1", 1, 0x07},
    {"KQS", "KQS1.05", "R81-PCB-V1.3", "V0.0", 3, 0x01},
    {"KZS", "KZS1.01", "R72-PCB-V2.0", "V0.0", 3, 0x11},
    {"OTHER", "GEN2.17", "GENERIC", "V1.0", 1, 0x00},
};

const Preset* findPreset(const std::string& model)
{
    for (const Preset& p : kPresets) {
        if (model == p.model)
            return &p;
    }
    return nullptr;
}

std::optional<long long> parseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    // Decimal unless marked hexadecimal: a leading zero must not turn "010" into eight.
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || end == text.c_str() || *end != '\0')
        return std::nullopt;
    return v;
}

std::string anyText(const std::string&) { return {}; }

std::string number32(const std::string& v)
{
    const auto n = parseNumber(v);
    return n && *n >= 0 && *n <= 0xFFFFFFFFLL ? "" : "expected a number from 0 to 0xFFFFFFFF";
}

std::string celsius(const std::string& v)
{
    const auto n = parseNumber(v);
    return n && *n >= -40 && *n <= 215 ? "" : "expected degrees Celsius from -40 to 215";
}

std::string flag(const std::string& v) { return v == "0" || v == "1" ? "" : "expected 0 or 1"; }

std::string interfaceCount(const std::string& v)
{
    const auto n = parseNumber(v);
    return n && *n >= 0 && *n <= static_cast<long long>(kWirelessSlots) ? "" : "expected 0 to 4";
}

std::string powerBoardKind(const std::string& v)
{
    return v == "high" || v == "low" ? "" : "expected high or low";
}

std::string hexByte(const std::string& v)
{
    const auto n = parseNumber(v.rfind("0x", 0) == 0 || v.rfind("0X", 0) == 0 ? v : "0x" + v);
    return n && *n >= 0 && *n <= 0xFF ? "" : "expected a byte in hexadecimal";
}

std::string noArg(const std::string& v) { return v.empty() ? "" : "takes no argument"; }

std::string milliseconds(const std::string& v)
{
    const auto n = parseNumber(v);
    return n && *n >= 0 && *n <= 60000 ? "" : "expected milliseconds from 0 to 60000";
}

std::optional<double> parseDecimal(const std::string& text)
{
    double v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    return ec == std::errc() && ptr == end && !text.empty() ? std::optional(v) : std::nullopt;
}

// The range of the accelerometers the machines carry.
std::string gForce(const std::string& v)
{
    const auto g = parseDecimal(v);
    return g && *g >= -16.0 && *g <= 16.0 ? "" : "expected g from -16 to 16, e.g. -0.98";
}

std::string driftG(const std::string& v)
{
    const auto g = parseDecimal(v);
    return g && *g >= 0.0 && *g <= 1.0 ? "" : "expected g from 0 to 1";
}

std::string countOrAlways(const std::string& v)
{
    if (v == "always")
        return {};
    const auto n = parseNumber(v);
    return n && *n > 0 && *n < 1000000 ? "" : "expected a count or 'always'";
}

void setBit(std::uint8_t& byte, std::uint8_t mask, bool on)
{
    byte = on ? static_cast<std::uint8_t>(byte | mask) : static_cast<std::uint8_t>(byte & ~mask);
}

// A machine as it comes out of the factory: every module fitted and on, internal antenna, WWAN
// powered and enabled on SIM slot 1.
void initialMemory(BoardState& s, const std::string& model)
{
    s.ecPhase = EcPhase::Idle;
    s.ecStatus = 0;
    if (model == "KQS") {
        s.ec[ec::EC_WLANBT_CONTROL] = 0x07;
        s.ec[ec::EC_GPS_CONTROL] = 0x01;
    }
    s.cmos[ec::CMOS_WLAN_STATUS] = ec::kCmosModuleFitted | ec::kCmosModuleOn;
    s.cmos[ec::CMOS_BT_STATUS] = ec::kCmosModuleOn;
    s.cmos[ec::CMOS_GPS_STATUS] = ec::kCmosModuleOn;
    s.cmos[ec::CMOS_ANTENNA_STATUS] = 0x00;
    s.ec[ec::EC_WWAN_BASE_ADDRESS] = 0x06;
}

std::string profileText(const Preset& p, const std::string& powerBoard)
{
    std::string t;
    t += "# Tarvik virtual board. Change values with `tarvik-board -d DIR set NAME VALUE`.\n";
    t += "[board]\n";
    t += std::string("Model = ") + p.model + "\n";
    t += "PowerBoard = " + powerBoard + "\n";
    t += "\n[firmware]\n";
    t += std::string("BIOSVersion = ") + p.biosVersion + "\n";
    t += std::string("SystemSKU = ") + p.systemSku + "\n";
    t += std::string("BaseBoardVersion = ") + p.baseBoardVersion + "\n";
    t += "ECFirmwareMajorRelease = " + std::to_string(p.ecMajor) + "\n";
    t += "ECFirmwareMinorRelease = " + std::to_string(p.ecMinor) + "\n";
    t += "\n[hardware]\n";
    t += "BoardTemperature = 42\n";
    t += "WWANFitted = 1\n";
    t += "WLANFitted = 1\n";
    t += "WLANInterfaces = 1\n";
    t += "MBNInterfaces = 1\n";
    t += "\n[power]\n";
    t += "SmsStoreInitMs = 2000\n";
    t += "\n[devices]\n";
    t += "ports = Communications Port (COM1)\n";
    t += "ports = u-blox GNSS Receiver (COM3)\n";
    t += "ports = STN1110 J1939 Interpreter (COM5)\n";
    t += "modem = Sierra Wireless WWAN Modem; COM7\n";
    t += gps::gpsProfileText();
    t += j1939::vehicleProfileText();
    return t;
}

} // namespace

const std::vector<std::string>& presetModels()
{
    static const std::vector<std::string> models = [] {
        std::vector<std::string> m;
        for (const Preset& p : kPresets)
            m.emplace_back(p.model);
        return m;
    }();
    return models;
}

const std::vector<ProfileValue>& profileValueNames()
{
    static const std::vector<ProfileValue> names = {
        {"board", "PowerBoard", "RQ63 power board kind: high or low", powerBoardKind},
        {"firmware", "BIOSVersion", "BIOS version string (its first three letters give the model)", anyText},
        {"firmware", "SystemSKU", "system SKU (board version on KQS and KZS)", anyText},
        {"firmware", "BaseBoardVersion", "base board version", anyText},
        {"firmware", "ECFirmwareMajorRelease", "EC firmware major release (also EC RAM 0xFE)", number32},
        {"firmware", "ECFirmwareMinorRelease", "EC firmware minor release (also EC RAM 0xFF)", number32},
        {"hardware", "BoardTemperature", "board temperature in degrees Celsius (EC RAM 0x70)", celsius},
        {"hardware", "WWANFitted", "WWAN module fitted, 0 or 1 (EC RAM 0xA3 bit 0)", flag},
        {"hardware", "WLANFitted", "WLAN module fitted, 0 or 1 (EC RAM 0xA3 bit 1, CMOS 0x60)", flag},
        {"power", "SmsStoreInitMs", "time the SMS wake code store takes to initialise, ms", milliseconds},
        {"sensors", "AccelX", "accelerometer X in g (default 0)", gForce},
        {"sensors", "AccelY", "accelerometer Y in g (default 0)", gForce},
        {"sensors", "AccelZ", "accelerometer Z in g (default -1: lying flat)", gForce},
        {"sensors", "AccelDrift", "the most each axis strays from its set value, in g (default 0.02; 0: none)", driftG},
        {"sensors", "CpuTemperature", "CPU temperature the Quenmark service answers, in degrees Celsius (default 48)", celsius},
        {"hardware", "WLANInterfaces", "WLAN interfaces the WLAN service lists, 0 to 4 (0: the built-in module)", interfaceCount},
        {"hardware", "MBNInterfaces", "mobile-broadband interfaces listed, 0 to 4 (0: the built-in modem)", interfaceCount},
        {"gps", "GPSBaudRate", "GPS receiver baud rate; a host at another rate reads garbage", gps::GpsReceiverSettings::checkBaud},
        {"gps", "GPSUpdateRate", "GPS fixes per second (1-10)", gps::GpsReceiverSettings::checkUpdateRate},
        {"gps", "GPSTalker", "GPS sentence talker: GP (GPS only) or GN (GPS+GLONASS)", gps::GpsReceiverSettings::checkTalker},
        {"gps", "GPSFixQuality", "GGA fix quality (0 no fix, 1 GPS, 2 DGPS, 6 estimated, ...)", gps::GpsReceiverSettings::checkFixQuality},
        {"gps", "GPSLatitude", "where the GPS route starts: degrees, negative or S for south", gps::GpsReceiverSettings::checkLatitude},
        {"gps", "GPSLongitude", "where the GPS route starts: degrees, negative or W for west", gps::GpsReceiverSettings::checkLongitude},
        {"gps", "GPSAltitude", "GPS altitude in metres above mean sea level", gps::GpsReceiverSettings::checkAltitude},
        {"gps", "GPSSpeed", "speed round the GPS route's 200 m circle in km/h (0: stand still)", gps::GpsReceiverSettings::checkSpeed},
        {"gps", "GPSSatellites", "GPS satellites in use while there is a fix (0-24)", gps::GpsReceiverSettings::checkSatellites},
        {"vehicle", "EngineSpeed", "engine speed in rpm (J1939 EEC1)", j1939::checkEngineSpeed},
        {"vehicle", "VehicleSpeed", "road speed in km/h (J1939 CCVS)", j1939::checkRoadSpeed},
        {"vehicle", "TachographSpeed", "tachograph speed in km/h, or road to follow VehicleSpeed (TCO1)", j1939::checkTachographSpeed},
        {"vehicle", "Odometer", "total distance in km; grows with the road speed (VD)", j1939::checkDistance},
        {"vehicle", "TripDistance", "trip distance in km; grows with the road speed (VD)", j1939::checkDistance},
        {"vehicle", "FuelUsed", "total fuel used in litres; grows while the engine runs (LFC)", j1939::checkFuel},
        {"vehicle", "BatteryVoltage", "vehicle battery in volts (VEP1, ATRV)", j1939::checkBatteryVoltage},
        {"vehicle", "TripIdleTime", "trip idle time in hours; grows while idling (TTI2)", j1939::checkHours},
        {"vehicle", "CoolantTemperature", "engine coolant in degrees Celsius (ET1)", j1939::checkVehicleTemperature},
        {"vehicle", "FuelTemperature", "fuel in degrees Celsius (ET1)", j1939::checkVehicleTemperature},
        {"vehicle", "DriveCycle", "1: speeds follow a repeating two-minute drive cycle", j1939::checkDriveCycle},
        {"vehicle", "J1939BroadcastDivisor", "divides every J1939 broadcast period (1 = real rates)", j1939::checkBroadcastDivisor},
    };
    return names;
}

const std::vector<FaultInfo>& faultCatalog()
{
    static const std::vector<FaultInfo> faults = {
        {"driver-refuse", "N|always", "the port driver refuses to start N more times, or always", countOrAlways, true},
        {"ec-status-stuck", "HEX", "the EC status port always reads this byte", hexByte},
        {"ec-obf-after-write", "", "the EC leaves its output buffer full after a write address", noArg},
        {"ec-ignore-commands", "", "the EC takes EC commands and RAM writes but does not act on them", noArg},
        {kKestromFailFault, "METHODS", "the power library's named methods (M1,M2,... or all) return 0",
         checkKestromFailArgument, false, storedKestromFailArgument, shownKestromFailArgument},
        {"gsensor-missing", "", "the sensor service has no accelerometer", noArg},
        {"gsensor-2d", "", "the only accelerometer is a 2-D one (X and Y)", noArg},
        {"gsensor-access-denied", "", "access to the accelerometer is denied; permission requests are refused", noArg},
        {"gsensor-no-z", "", "accelerometer reports lack the Z value", noArg},
        {"quenmark-status", "N", "the Quenmark service answers with status N instead of 1", number32},
        {"quenmark-silent", "", "the Quenmark service takes commands but never answers", noArg},
        {gps::kFaultSilent, "", "the GPS receiver is powered but sends nothing", noArg},
        {gps::kFaultGarbage, "", "the GPS receiver sends noise with sentence starts that never complete", noArg},
        {gps::kFaultNoFix, "", "the GPS receiver searches: quality 0 and empty position fields", noArg},
        {j1939::kFaultSilent, "", "the J1939 interpreter takes commands but sends nothing", noArg},
        {j1939::kFaultNoPrompt, "", "the J1939 interpreter never sends its '>' prompt", noArg},
        {j1939::kFaultGarbage, "", "the J1939 interpreter sends noise (0x80-0xFF) for every byte", noArg},
        {j1939::kFaultStatus, "TEXT", "ATMP prints this status line (NO DATA, CAN ERROR, ...) instead of data", j1939::checkStatusLine},
        {kFaultWakeTimerCreate, "", "the wake timer cannot be created (the program's suspend shows its message)", noArg},
        {kFaultWakeTimerArm, "", "the wake timer cannot be armed (the program's suspend shows its message)", noArg},
    };
    return faults;
}

const FaultSlot* findFault(const BoardState& state, const char* name)
{
    for (const FaultSlot& slot : state.faults) {
        if (slot.name[0] != '\0' && std::strncmp(slot.name, name, kFaultNameSize) == 0)
            return &slot;
    }
    return nullptr;
}

std::string faultArgumentText(const FaultSlot& slot)
{
    const std::string stored(slot.arg, strnlen(slot.arg, kFaultArgSize));
    const std::string name(slot.name, strnlen(slot.name, kFaultNameSize));
    const auto& faults = faultCatalog();
    const auto it = std::find_if(faults.begin(), faults.end(), [&](const FaultInfo& f) { return name == f.name; });
    return it != faults.end() && it->shownArg ? it->shownArg(stored) : stored;
}

Status makeDirectories(const std::string& dir)
{
    std::string path;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        path = dir.substr(0, pos);
        if (path.empty())
            continue;
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
            return Status::failure("cannot create folder " + path + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Status::failure(dir + " is not a folder");
    return ok();
}

std::vector<BoardDevice> boardDevices(const BoardProfile& profile)
{
    std::vector<BoardDevice> devices;
    for (const std::string& line : profile.getAll("devices", "ports")) {
        BoardDevice d{"ports", line, line, ""};
        const auto open = line.rfind(" (COM");
        if (open != std::string::npos && line.back() == ')') {
            d.description = line.substr(0, open);
            d.portName = line.substr(open + 2, line.size() - open - 3);
        }
        devices.push_back(d);
    }
    for (const std::string& line : profile.getAll("devices", "modem")) {
        BoardDevice d{"modem", line, line, ""};
        const auto semi = line.rfind(';');
        if (semi != std::string::npos) {
            d.description = line.substr(0, semi);
            while (!d.description.empty() && d.description.back() == ' ')
                d.description.pop_back();
            d.portName = line.substr(semi + 1);
            d.portName.erase(0, d.portName.find_first_not_of(' '));
            d.friendlyName = d.description;
        }
        devices.push_back(d);
    }
    return devices;
}

std::optional<int> boardDevicePort(const BoardProfile& profile, const std::string& description)
{
    for (const BoardDevice& d : boardDevices(profile)) {
        if (d.deviceClass != "ports" || d.description != description || d.portName.rfind("COM", 0) != 0)
            continue;
        const std::string digits = d.portName.substr(3);
        if (!digits.empty() && digits.size() <= 4 && digits.find_first_not_of("0123456789") == std::string::npos)
            return std::stoi(digits);
    }
    return std::nullopt;
}

Board::Board(std::string dir, std::unique_ptr<MappedState<BoardState>> memory)
    : dir_(std::move(dir)), memory_(std::move(memory))
{
}

bool Board::exists(const std::string& dir) { return access((dir + "/" + kProfileFile).c_str(), F_OK) == 0; }

Result<std::unique_ptr<Board>> Board::create(const std::string& dir, const std::string& model,
                                             const std::string& powerBoard)
{
    using R = Result<std::unique_ptr<Board>>;
    const Preset* preset = findPreset(model);
    if (!preset)
        return R::failure("unknown model " + model);
    if (!powerBoardKind(powerBoard).empty())
        return R::failure("unknown power board " + powerBoard + " (high or low)");
    if (Status made = makeDirectories(dir); !made)
        return R::failure(made.error());

    BoardDirectoryLock lock(dir);
    auto profile = BoardProfile::parse(profileText(*preset, powerBoard), dir + "/" + kProfileFile);
    if (Status saved = profile->save(dir + "/" + kProfileFile); !saved)
        return R::failure(saved.error());
    // An existing memory file is reset in place, so that processes using the board see the reset
    // rather than keep an orphaned copy.
    auto memory = MappedState<BoardState>::open(dir);
    if (!memory)
        memory = MappedState<BoardState>::create(dir);
    if (!memory)
        return R::failure(memory.error());
    (*memory)->locked([&](BoardState& s) {
        std::memset(&s, 0, sizeof s);
        initialMemory(s, model);
    });
    PowerBoard::resetIfPresent(dir);
    if (Status wireless = WirelessBoard::reset(dir); !wireless)
        return R::failure(wireless.error());
    VehicleModel::resetIfPresent(dir);
    std::unique_ptr<Board> board(new Board(dir, std::move(*memory)));
    if (Status applied = board->applyProfileToMemory(); !applied)
        return R::failure(applied.error());
    return board;
}

Result<std::unique_ptr<Board>> Board::open(const std::string& dir)
{
    using R = Result<std::unique_ptr<Board>>;
    auto profile = BoardProfile::load(dir + "/" + kProfileFile);
    if (!profile)
        return R::failure(profile.error());
    auto memory = MappedState<BoardState>::open(dir);
    if (!memory) {
        const std::string memPath = dir + "/" + BoardState::kFileName;
        if (access(memPath.c_str(), F_OK) == 0)
            return R::failure(memory.error());
        // The runtime folder was cleared but the profile survived: power the board up afresh.
        BoardDirectoryLock lock(dir);
        memory = MappedState<BoardState>::open(dir);
        if (!memory) {
            memory = MappedState<BoardState>::create(dir);
            if (!memory)
                return R::failure(memory.error());
            const std::string model = profile->get("board", "Model").value_or("OTHER");
            (*memory)->locked([&](BoardState& s) { initialMemory(s, model); });
            std::unique_ptr<Board> board(new Board(dir, std::move(*memory)));
            if (Status applied = board->applyProfileToMemory(); !applied)
                return R::failure(applied.error());
            return board;
        }
    }
    // A running board keeps its memory as it is: bytes a person poked stay poked.
    return std::unique_ptr<Board>(new Board(dir, std::move(*memory)));
}

Result<BoardProfile> Board::profile() const { return BoardProfile::load(dir_ + "/" + kProfileFile); }

Status Board::editProfile(const std::function<Status(BoardProfile&)>& edit)
{
    BoardDirectoryLock lock(dir_);
    auto profile = BoardProfile::load(dir_ + "/" + kProfileFile);
    if (!profile)
        return Status::failure(profile.error());
    if (Status edited = edit(*profile); !edited)
        return edited;
    return profile->save(dir_ + "/" + kProfileFile);
}

std::string Board::checkValue(const std::string& name, const std::string& value)
{
    const auto& names = profileValueNames();
    const auto it = std::find_if(names.begin(), names.end(), [&](const ProfileValue& v) { return name == v.name; });
    if (it == names.end())
        return "unknown profile value " + name;
    if (const std::string wrong = it->check(value); !wrong.empty())
        return name + ": " + wrong;
    return {};
}

Status Board::setValue(const std::string& name, const std::string& value)
{
    if (const std::string wrong = checkValue(name, value); !wrong.empty())
        return Status::failure(wrong);
    const auto& names = profileValueNames();
    const auto it = std::find_if(names.begin(), names.end(), [&](const ProfileValue& v) { return name == v.name; });
    if (Status s = editProfile([&](BoardProfile& p) {
            p.set(it->section, name, value);
            return ok();
        });
        !s)
        return s;
    return applyProfileToMemory();
}

Status Board::unsetValue(const std::string& name)
{
    const auto& names = profileValueNames();
    const auto it = std::find_if(names.begin(), names.end(), [&](const ProfileValue& v) { return name == v.name; });
    if (it == names.end())
        return Status::failure("unknown profile value " + name);
    if (Status s = editProfile([&](BoardProfile& p) {
            p.remove(it->section, name);
            return ok();
        });
        !s)
        return s;
    return applyProfileToMemory();
}

std::string Board::checkDevice(const std::string& deviceClass, const std::string& name, const std::string& port)
{
    if (deviceClass != "ports" && deviceClass != "modem")
        return "unknown device class " + deviceClass + " (ports or modem)";
    if (name.empty() || name.find('\n') != std::string::npos)
        return "a device needs a one-line name";
    const bool comPort = port.size() > 3 && port.rfind("COM", 0) == 0 &&
                         std::all_of(port.begin() + 3, port.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (deviceClass == "modem" && !comPort)
        return "a modem needs its port, for example COM7";
    return {};
}

Status Board::addDevice(const std::string& deviceClass, const std::string& name, const std::string& port)
{
    if (const std::string wrong = checkDevice(deviceClass, name, port); !wrong.empty())
        return Status::failure(wrong);
    return editProfile([&](BoardProfile& p) {
        p.add("devices", deviceClass, deviceClass == "modem" ? name + "; " + port : name);
        return ok();
    });
}

Status Board::clearDevices()
{
    return editProfile([](BoardProfile& p) {
        p.remove("devices", "ports");
        p.remove("devices", "modem");
        return ok();
    });
}

Status Board::setFault(const std::string& name, const std::string& arg)
{
    const auto& faults = faultCatalog();
    const auto it = std::find_if(faults.begin(), faults.end(), [&](const FaultInfo& f) { return name == f.name; });
    if (it == faults.end())
        return Status::failure("unknown fault " + name);
    if (const std::string wrong = it->check(arg); !wrong.empty())
        return Status::failure(name + ": " + wrong);
    const std::string stored = it->storedArg ? it->storedArg(arg) : arg;
    if (stored.size() >= kFaultArgSize)
        return Status::failure(name + ": argument too long");
    return memory_->locked([&](BoardState& s) -> Status {
        FaultSlot* slot = const_cast<FaultSlot*>(findFault(s, name.c_str()));
        for (std::size_t i = 0; !slot && i < kFaultSlots; ++i) {
            if (s.faults[i].name[0] == '\0')
                slot = &s.faults[i];
        }
        if (!slot)
            return Status::failure("too many faults at once");
        std::memset(slot, 0, sizeof *slot);
        std::memcpy(slot->name, name.data(), name.size());
        std::memcpy(slot->arg, stored.data(), stored.size());
        const auto count = it->countsDown ? parseNumber(stored) : std::nullopt;
        slot->remaining = count ? static_cast<std::int32_t>(*count) : -1;
        return ok();
    });
}

Status Board::clearFault(const std::string& name)
{
    return memory_->locked([&](BoardState& s) -> Status {
        FaultSlot* slot = const_cast<FaultSlot*>(findFault(s, name.c_str()));
        if (!slot)
            return Status::failure("fault " + name + " is not set");
        std::memset(slot, 0, sizeof *slot);
        return ok();
    });
}

void Board::clearAllFaults()
{
    memory_->locked([](BoardState& s) { std::memset(s.faults, 0, sizeof s.faults); });
}

Status Board::applyProfileToMemory()
{
    auto p = profile();
    if (!p)
        return Status::failure(p.error());
    auto number = [&](const char* section, const char* name) {
        return parseNumber(p->get(section, name).value_or("")).value_or(0);
    };
    const long long temperature = parseNumber(p->get("hardware", "BoardTemperature").value_or("")).value_or(25);
    const bool wwan = number("hardware", "WWANFitted") != 0;
    const bool wlan = number("hardware", "WLANFitted") != 0;
    memory_->locked([&](BoardState& s) {
        s.ec[ec::EC_FW_VERSION_MAJOR] = static_cast<std::uint8_t>(number("firmware", "ECFirmwareMajorRelease"));
        s.ec[ec::EC_FW_VERSION_MINOR] = static_cast<std::uint8_t>(number("firmware", "ECFirmwareMinorRelease"));
        s.ec[ec::EC_TEMPERATURE] = static_cast<std::uint8_t>(std::clamp(temperature + 40, 0LL, 255LL));
        setBit(s.ec[ec::EC_MODULE_HW_STATUS], 0x01, wwan);
        setBit(s.ec[ec::EC_MODULE_HW_STATUS], 0x02, wlan);
        if (!wlan)
            s.cmos[ec::CMOS_WLAN_STATUS] = 0;
        else
            s.cmos[ec::CMOS_WLAN_STATUS] |= ec::kCmosModuleFitted;
    });
    return ok();
}

} // namespace tarvik::board
