#pragma once

#include "Board.h"

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarvik::board::tool {

// Exit statuses of tarvik-board.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // the board could not do it (damaged file, refused value)
inline constexpr int kExitUsage = 2;    // the command line was wrong

// A subcommand: `tarvik-board -d DIR <name> args...`. run() gets the opened board (null for
// commands that make one) and the arguments after the name.
struct Command {
    const char* name;
    const char* usage; // one line per form, without the "tarvik-board -d DIR " prefix
    bool needsBoard;
    int (*run)(Board* board, const std::string& dir, const std::vector<std::string>& args);
};

// A simulated peer that `serve` runs on a thread of its own: a device on a pseudo-terminal, a
// service. run() returns when stop becomes true (check it at least every 100 ms); false, with a
// message on stderr, when the peer cannot run.
struct Service {
    const char* name;
    bool (*run)(Board& board, const std::string& dir, const std::atomic<bool>& stop);
};

// Every area's peers (defined beside the list of areas in main.cpp).
std::vector<Service> allServices();

// A section of `show`.
using ShowSection = void (*)(Board& board, std::ostream& out);

// Each area of the board contributes its commands and show sections here.
const std::vector<Command>& coreCommands();
const std::vector<Command>& serveCommands();
const std::vector<ShowSection>& coreShowSections();
const std::vector<Command>& powerCommands();
const std::vector<ShowSection>& powerShowSections();
const std::vector<Command>& sessionCommands();
const std::vector<ShowSection>& sessionShowSections();
const std::vector<Command>& sensorCommands();
const std::vector<ShowSection>& sensorShowSections();
const std::vector<Service>& sensorServices();
const std::vector<Command>& wirelessCommands();
const std::vector<ShowSection>& wirelessShowSections();

// Every area's show sections, in order (defined beside the list of areas in main.cpp).
std::vector<ShowSection> allShowSections();

// Prints the usage of every command to stderr and returns kExitUsage.
int usage(const std::string& problem);
// Prints "tarvik-board: <message>" to stderr and returns kExitFailed.
int fail(const std::string& message);

// "0x52" for 0x52.
std::string hexByte(unsigned value);
// Parses "70", "0x70", "0X70"; nullopt unless it is a byte.
std::optional<unsigned> parseHexByte(const std::string& text);

} // namespace tarvik::board::tool
