// The board's core commands: create, show, ec, cmos, set, unset, device, fault.
#include "EcSimulator.h"
#include "ToolCommands.h"

#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace tarvik::board::tool {

namespace {

int create(Board*, const std::string& dirOption, const std::vector<std::string>& args)
{
    std::string dir = dirOption;
    std::string model;
    std::string powerBoard = "high";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--model" && i + 1 < args.size())
            model = args[++i];
        else if (args[i] == "--power-board" && i + 1 < args.size())
            powerBoard = args[++i];
        else if (dir.empty() && !args[i].empty() && args[i][0] != '-')
            dir = args[i];
        else
            return usage("create: unexpected argument " + args[i]);
    }
    if (dir.empty())
        return usage("create: which folder?");
    bool known = false;
    for (const std::string& m : presetModels())
        known = known || m == model;
    if (!known)
        return usage("create: --model must be one of KTA KTE KTH KTM KTR KPN KQS KZS OTHER");
    if (powerBoard != "high" && powerBoard != "low")
        return usage("create: --power-board must be high or low");
    auto board = Board::create(dir, model, powerBoard);
    if (!board)
        return fail(board.error());
    std::cout << "created " << model << " board in " << dir << "\n";
    return kExitOk;
}

int show(Board* board, const std::string&, const std::vector<std::string>& args)
{
    if (!args.empty())
        return usage("show takes no arguments");
    for (ShowSection section : allShowSections())
        section(*board, std::cout);
    return kExitOk;
}

// ec ADDR [VALUE] and cmos INDEX [VALUE]: direct access to the bytes, bypassing the EC handshake,
// as a technician's debugger would.
int poke(Board* board, const std::vector<std::string>& args, bool cmos)
{
    const char* what = cmos ? "cmos" : "ec";
    if (args.empty() || args.size() > 2)
        return usage(std::string(what) + ": expected an address and an optional value");
    const auto address = parseHexByte(args[0]);
    if (!address)
        return usage(std::string(what) + ": address must be a hexadecimal byte");
    std::optional<unsigned> value;
    if (args.size() == 2) {
        value = parseHexByte(args[1]);
        if (!value)
            return usage(std::string(what) + ": value must be a hexadecimal byte");
    }
    const unsigned shown = board->memory().locked([&](BoardState& s) -> unsigned {
        std::uint8_t* bytes = cmos ? s.cmos : s.ec;
        if (value)
            bytes[*address] = static_cast<std::uint8_t>(*value);
        return bytes[*address];
    });
    std::cout << hexByte(shown) << "\n";
    return kExitOk;
}

int ecCommand(Board* board, const std::string&, const std::vector<std::string>& args) { return poke(board, args, false); }
int cmosCommand(Board* board, const std::string&, const std::vector<std::string>& args) { return poke(board, args, true); }

int set(Board* board, const std::string&, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return usage("set: expected NAME VALUE");
    bool known = false;
    for (const ProfileValue& v : profileValueNames())
        known = known || args[0] == v.name;
    if (!known)
        return usage("set: unknown name " + args[0]);
    if (const std::string wrong = Board::checkValue(args[0], args[1]); !wrong.empty())
        return usage("set: " + wrong);
    if (Status s = board->setValue(args[0], args[1]); !s)
        return fail("set: " + s.error());
    return kExitOk;
}

int unset(Board* board, const std::string&, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usage("unset: expected NAME");
    bool known = false;
    for (const ProfileValue& v : profileValueNames())
        known = known || args[0] == v.name;
    if (!known)
        return usage("unset: unknown name " + args[0]);
    if (Status s = board->unsetValue(args[0]); !s)
        return fail("unset: " + s.error());
    return kExitOk;
}

int device(Board* board, const std::string&, const std::vector<std::string>& args)
{
    if (args.size() == 1 && args[0] == "clear") {
        if (Status s = board->clearDevices(); !s)
            return fail(s.error());
        return kExitOk;
    }
    const bool ports = args.size() == 3 && args[0] == "add" && args[1] == "ports";
    const bool modem = args.size() == 4 && args[0] == "add" && args[1] == "modem";
    if (ports || modem) {
        const std::string port = modem ? args[3] : "";
        if (const std::string wrong = Board::checkDevice(args[1], args[2], port); !wrong.empty())
            return usage("device: " + wrong);
        if (Status s = board->addDevice(args[1], args[2], port); !s)
            return fail("device: " + s.error());
        return kExitOk;
    }
    return usage("device: expected add ports NAME, add modem DESCRIPTION COMn, or clear");
}

int fault(Board* board, const std::string&, const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2)
        return usage("fault: expected NAME [ARG] or clear [NAME]");
    if (args[0] == "clear") {
        if (args.size() == 1) {
            board->clearAllFaults();
            return kExitOk;
        }
        if (Status s = board->clearFault(args[1]); !s)
            return fail(s.error());
        return kExitOk;
    }
    if (args[0] == "list" && args.size() == 1) {
        for (const FaultInfo& f : faultCatalog())
            std::cout << std::left << std::setw(22) << f.name << std::setw(10) << f.argHelp << f.help << "\n";
        return kExitOk;
    }
    if (Status s = board->setFault(args[0], args.size() == 2 ? args[1] : ""); !s)
        return usage("fault: " + s.error());
    return kExitOk;
}

std::string onOff(bool on) { return on ? "on" : "off"; }

void showBoard(Board& board, std::ostream& out)
{
    auto profile = board.profile();
    out << "Board " << board.dir() << "\n";
    if (!profile) {
        out << "  profile: " << profile.error() << "\n";
        return;
    }
    out << "  Model " << profile->get("board", "Model").value_or("?") << ", power board "
        << profile->get("board", "PowerBoard").value_or("?") << "\n";
    out << "Profile values\n";
    for (const ProfileValue& v : profileValueNames()) {
        const auto value = profile->get(v.section, v.name);
        out << "  " << std::left << std::setw(24) << v.name << (value ? *value : "(missing)") << "\n";
    }
    out << "Devices\n";
    for (const BoardDevice& d : boardDevices(*profile))
        out << "  " << std::left << std::setw(6) << d.deviceClass << d.friendlyName
            << (d.deviceClass == "modem" ? "  port " + d.portName : "") << "\n";
}

void showEc(Board& board, std::ostream& out)
{
    const BoardState s = board.memory().locked([](BoardState& st) { return st; });
    auto row = [&](unsigned address, const char* name, const std::string& meaning) {
        out << "  " << hexByte(address) << " " << std::left << std::setw(20) << name << hexByte(s.ec[address])
            << "  " << meaning << "\n";
    };
    const std::uint8_t wwan = s.ec[ec::EC_WWAN_BASE_ADDRESS];
    const std::uint8_t hw = s.ec[ec::EC_MODULE_HW_STATUS];
    const std::uint8_t wb = s.ec[ec::EC_WLANBT_CONTROL];
    out << "EC RAM\n";
    row(ec::EC_TEMPERATURE, "temperature", std::to_string(int(s.ec[ec::EC_TEMPERATURE]) - 40) + " C");
    row(ec::EC_WWAN_BASE_ADDRESS, "WWAN", "power " + onOff(wwan & 0x02) + ", enabled " + onOff(wwan & 0x04) +
                                   ", SIM slot " + ((wwan & 0x08) ? "2" : "1"));
    row(ec::EC_MODULE_HW_STATUS, "module presence", std::string("WWAN ") + ((hw & 1) ? "fitted" : "absent") +
                                                   ", WLAN " + ((hw & 2) ? "fitted" : "absent"));
    row(ec::EC_WLANBT_CONTROL, "WLAN/BT control", "power " + onOff(wb & 1) + ", WLAN " + onOff(wb & 2) +
                                                   ", Bluetooth " + onOff(wb & 4) + " (KQS)");
    row(ec::EC_GPS_CONTROL, "GPS control", "GPS " + onOff(s.ec[ec::EC_GPS_CONTROL] & 1) + " (KQS)");
    row(ec::EC_FW_VERSION_MAJOR, "EC version major", "");
    row(ec::EC_FW_VERSION_MINOR, "EC version minor", "");
    out << "Extended CMOS\n";
    auto cmosRow = [&](unsigned index, const char* name, const std::string& meaning) {
        out << "  " << hexByte(index) << " " << std::left << std::setw(20) << name << hexByte(s.cmos[index])
            << "  " << meaning << "\n";
    };
    const std::uint8_t wlanByte = s.cmos[ec::CMOS_WLAN_STATUS];
    cmosRow(ec::CMOS_WLAN_STATUS, "WLAN", std::string(wlanByte ? "fitted" : "absent") + ", " + onOff(wlanByte & 0x80));
    cmosRow(ec::CMOS_BT_STATUS, "Bluetooth", onOff(s.cmos[ec::CMOS_BT_STATUS] & 0x80));
    cmosRow(ec::CMOS_GPS_STATUS, "GPS", onOff(s.cmos[ec::CMOS_GPS_STATUS] & 0x80));
    cmosRow(ec::CMOS_ANTENNA_STATUS, "antenna", (s.cmos[ec::CMOS_ANTENNA_STATUS] & 0x08) ? "external" : "internal");
    out << "WLAN/Bluetooth power    " << onOff(!s.wlanBtPowerOff) << "\n";
    out << "EC commands received    " << s.ecCommandsReceived;
    if (s.ecCommandsReceived)
        out << " (last " << hexByte(s.ecLastCommand) << ")";
    out << "\nPort driver             started " << s.driverStarts << " times, refused " << s.driverRefusals
        << " times\n";
    out << "Faults\n";
    bool any = false;
    for (const FaultSlot& f : s.faults) {
        if (f.name[0] == '\0')
            continue;
        any = true;
        out << "  " << std::string(f.name, strnlen(f.name, kFaultNameSize));
        if (f.arg[0])
            out << " " << faultArgumentText(f);
        if (f.remaining >= 0)
            out << " (" << f.remaining << " left)";
        out << "\n";
    }
    if (!any)
        out << "  none\n";
}

} // namespace

const std::vector<Command>& coreCommands()
{
    static const std::vector<Command> commands = {
        {"create", "create DIR --model KTA|KTE|KTH|KTM|KTR|KPN|KQS|KZS|OTHER [--power-board high|low]", false, create},
        {"show", "show", true, show},
        {"ec", "ec ADDR [VALUE]          (hex; prints 0xNN)", true, ecCommand},
        {"cmos", "cmos INDEX [VALUE]       (hex; prints 0xNN)", true, cmosCommand},
        {"set", "set NAME VALUE           (BIOSVersion, SystemSKU, BaseBoardVersion, ECFirmwareMajorRelease, ...)", true, set},
        {"unset", "unset NAME               (the firmware lacks the value)", true, unset},
        {"device", "device add ports \"FRIENDLY NAME (COMn)\"\ndevice add modem \"DESCRIPTION\" COMn\ndevice clear", true, device},
        {"fault", "fault NAME [ARG]\nfault clear [NAME]\nfault list", true, fault},
    };
    return commands;
}

const std::vector<ShowSection>& coreShowSections()
{
    static const std::vector<ShowSection> sections = {showBoard, showEc};
    return sections;
}

} // namespace tarvik::board::tool
