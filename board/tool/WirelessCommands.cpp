// The board's wireless interfaces: `wlan` and `mbn`, and their section of `show`.
#include "ToolCommands.h"
#include "WirelessBoard.h"

#include <cstdio>
#include <iomanip>
#include <iostream>

namespace tarvik::board::tool {

namespace {

std::optional<int> parseSmall(const std::string& text, int low, int high)
{
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int n = std::stoi(text);
    if (n < low || n > high)
        return std::nullopt;
    return n;
}

std::optional<bool> parseOnOff(const std::string& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    return std::nullopt;
}

std::string onOff(bool on) { return on ? "on" : "off"; }

std::string guidText(const std::uint8_t (&g)[16])
{
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g[3],
                  g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

Result<std::unique_ptr<WirelessBoard>> openWireless(Board* board) { return WirelessBoard::open(*board); }

void listWlan(WirelessBoard& w, std::ostream& out)
{
    const auto list = w.wlanInterfaces();
    out << "WLAN interfaces (" << list.size() << " listed)\n";
    for (const WirelessBoard::Wlan& i : list)
        out << "  " << i.slot << "  " << guidText(i.guid) << "  " << i.description << "\n"
            << "     state " << i.state << ", software radio " << onOff(i.softwareRadioOn) << ", hardware radio "
            << onOff(i.hardwareRadioOn) << "\n";
}

void listMbn(WirelessBoard& w, std::ostream& out)
{
    const auto list = w.mbnInterfaces();
    out << "Mobile-broadband interfaces (" << list.size() << " listed, " << w.requestsCompleted()
        << " radio requests completed)\n";
    for (const WirelessBoard::Mbn& i : list)
        out << "  " << i.slot << "  " << i.id << "  ready state " << i.readyState << ", software radio "
            << onOff(i.softwareRadioOn) << ", hardware radio " << onOff(i.hardwareRadioOn) << "\n";
}

// wlan, wlan N radio on|off, wlan N hw on|off, wlan N state 0-7
int wlan(Board* board, const std::string&, const std::vector<std::string>& args)
{
    auto w = openWireless(board);
    if (!w)
        return fail(w.error());
    if (args.empty()) {
        listWlan(**w, std::cout);
        return kExitOk;
    }
    const auto slot = parseSmall(args[0], 0, static_cast<int>(kWirelessSlots) - 1);
    if (!slot || args.size() != 3)
        return usage("wlan: expected N radio on|off, N hw on|off or N state 0-7 (N from 0 to 3)");
    Status done = ok();
    if (args[1] == "radio" || args[1] == "hw") {
        const auto on = parseOnOff(args[2]);
        if (!on)
            return usage("wlan: expected on or off");
        done = args[1] == "radio" ? (*w)->setWlanSoftwareRadio(*slot, *on) : (*w)->setWlanHardwareRadio(*slot, *on);
    } else if (args[1] == "state") {
        const auto state = parseSmall(args[2], 0, 7);
        if (!state)
            return usage("wlan: a state is 0 to 7");
        done = (*w)->setWlanState(*slot, *state);
    } else {
        return usage("wlan: unknown setting " + args[1]);
    }
    return done ? kExitOk : fail(done.error());
}

// mbn, mbn N ready 0-7, mbn N radio on|off, mbn N hw on|off, mbn sim 1|2 0-7
int mbn(Board* board, const std::string&, const std::vector<std::string>& args)
{
    auto w = openWireless(board);
    if (!w)
        return fail(w.error());
    if (args.empty()) {
        listMbn(**w, std::cout);
        return kExitOk;
    }
    if (args.size() != 3)
        return usage("mbn: expected N ready 0-7, N radio on|off, N hw on|off or sim 1|2 0-7");
    Status done = ok();
    if (args[0] == "sim") {
        const auto simSlot = parseSmall(args[1], 1, 2);
        const auto state = parseSmall(args[2], 0, 7);
        if (!simSlot || !state)
            return usage("mbn: expected sim 1|2 and a ready state 0-7");
        done = (*w)->setSimReadyState(*simSlot, *state);
        return done ? kExitOk : fail(done.error());
    }
    const auto slot = parseSmall(args[0], 0, static_cast<int>(kWirelessSlots) - 1);
    if (!slot)
        return usage("mbn: N is 0 to 3");
    if (args[1] == "ready") {
        const auto state = parseSmall(args[2], 0, 7);
        if (!state)
            return usage("mbn: a ready state is 0 to 7");
        done = (*w)->setMbnReadyState(*slot, *state);
    } else if (args[1] == "radio" || args[1] == "hw") {
        const auto on = parseOnOff(args[2]);
        if (!on)
            return usage("mbn: expected on or off");
        done = args[1] == "radio" ? (*w)->setMbnSoftwareRadio(*slot, *on) : (*w)->setMbnHardwareRadio(*slot, *on);
    } else {
        return usage("mbn: unknown setting " + args[1]);
    }
    return done ? kExitOk : fail(done.error());
}

void showWireless(Board& board, std::ostream& out)
{
    auto w = WirelessBoard::open(board);
    if (!w) {
        out << "Wireless: " << w.error() << "\n";
        return;
    }
    listWlan(**w, out);
    listMbn(**w, out);
}

} // namespace

const std::vector<Command>& wirelessCommands()
{
    static const std::vector<Command> commands = {
        {"wlan", "wlan                     (the WLAN interfaces the WLAN service lists)\n"
                 "wlan N radio on|off      (software radio; N = 0 is the built-in module's on bit)\n"
                 "wlan N hw on|off         (hardware radio switch)\n"
                 "wlan N state 0-7         (connection state)",
         true, wlan},
        {"mbn", "mbn                      (the mobile-broadband interfaces listed)\n"
                "mbn N ready 0-7          (ready state; N = 0: of the SIM in the selected slot)\n"
                "mbn N radio on|off       (software radio)\n"
                "mbn N hw on|off          (hardware radio, N >= 1; the modem's is EC 0x9D bit 2)\n"
                "mbn sim 1|2 0-7          (ready state of the built-in modem with that SIM slot)",
         true, mbn},
    };
    return commands;
}

const std::vector<ShowSection>& wirelessShowSections()
{
    static const std::vector<ShowSection> sections = {showWireless};
    return sections;
}

} // namespace tarvik::board::tool
