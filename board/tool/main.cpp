// tarvik-board: creates, inspects, changes and serves a virtual board.
#include "GpsCommands.h"
#include "J1939Commands.h"
#include "Platform.h"
#include "PrivateFolder.h"
#include "ToolCommands.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace tarvik::board::tool {

namespace {

// Every area's commands, in the order usage lists them.
std::vector<const Command*> allCommands()
{
    std::vector<const Command*> all;
    for (const auto* list :
         {&coreCommands(), &sensorCommands(), &serveCommands(), &powerCommands(), &sessionCommands(),
          &wirelessCommands()}) {
        for (const Command& c : *list)
            all.push_back(&c);
    }
    return all;
}

} // namespace

std::vector<Service> allServices()
{
    std::vector<Service> all;
    for (const std::vector<Service>* list :
         std::initializer_list<const std::vector<Service>*>{&sensorServices(), &gpsServices(), &j1939Services()})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

std::vector<ShowSection> allShowSections()
{
    std::vector<ShowSection> all;
    for (const auto* list : {&coreShowSections(), &powerShowSections(), &sessionShowSections(), &sensorShowSections(),
                             &wirelessShowSections(), &gpsShowSections(), &j1939ShowSections()})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

int fail(const std::string& message)
{
    std::cerr << "tarvik-board: " << message << "\n";
    return kExitFailed;
}

int usage(const std::string& problem)
{
    if (!problem.empty())
        std::cerr << "tarvik-board: " << problem << "\n";
    std::cerr << "usage:\n";
    for (const Command* c : allCommands()) {
        std::string forms = c->usage;
        std::size_t start = 0;
        while (start < forms.size()) {
            const std::size_t end = forms.find('\n', start);
            const std::string form = forms.substr(start, end - start);
            std::cerr << "  tarvik-board " << (c->needsBoard ? "[-d DIR] " : "") << form << "\n";
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    std::cerr << "DIR defaults to $TARVIK_BOARD, else the default board.\n";
    return kExitUsage;
}

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFFu);
    return text;
}

std::optional<unsigned> parseHexByte(const std::string& text)
{
    std::string digits = text;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return value;
}

int run(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string dir;
    if (args.size() >= 2 && args[0] == "-d") {
        dir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return usage("no command");
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        usage("");
        return kExitOk;
    }
    const std::string name = args[0];
    args.erase(args.begin());
    for (const Command* c : allCommands()) {
        if (name != c->name)
            continue;
        if (!c->needsBoard)
            return c->run(nullptr, dir, args);
        if (dir.empty()) {
            const char* env = std::getenv("TARVIK_BOARD");
            if (env && *env && std::string(env) != "hw") {
                dir = env;
            } else {
                if (const auto refused = makeRuntimeFolder())
                    return fail("no default board: " + *refused);
                dir = Platform::runtimeDir() + "/board";
            }
        }
        auto board = Board::open(dir);
        if (!board) {
            std::cerr << "tarvik-board: " << board.error() << "\n";
            return kExitFailed;
        }
        return c->run(board->get(), dir, args);
    }
    return usage("unknown command " + name);
}

} // namespace tarvik::board::tool

int main(int argc, char** argv) { return tarvik::board::tool::run(argc, argv); }
