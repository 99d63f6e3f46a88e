// The board's sensor commands and show section: the accelerometer the sensor service reports and
// the simulated services' state.
#include "SensorBoard.h"
#include "ServiceControl.h"
#include "ToolCommands.h"

#include <cstdio>
#include <iomanip>
#include <iostream>

namespace tarvik::board::tool {

namespace {

constexpr const char* kQuenmark = "Quenmark";

std::string grams(double g)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", g);
    return text;
}

// accel [X Y Z] [--drift G]: without values prints the accelerometer; with them sets the profile
// values AccelX/Y/Z (and AccelDrift), which the sensor service reads at every report.
int accel(Board* board, const std::string&, const std::vector<std::string>& args)
{
    std::vector<std::string> values;
    std::string drift;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--drift" && i + 1 < args.size())
            drift = args[++i];
        else
            values.push_back(args[i]);
    }
    if (!values.empty() && values.size() != 3)
        return usage("accel: expected X Y Z in g, and/or --drift G");
    std::vector<std::pair<std::string, std::string>> changes;
    const char* names[] = {"AccelX", "AccelY", "AccelZ"};
    for (std::size_t i = 0; i < values.size(); ++i)
        changes.emplace_back(names[i], values[i]);
    if (!drift.empty())
        changes.emplace_back("AccelDrift", drift);
    // All or nothing: every value is checked before the first is set.
    for (const auto& [name, value] : changes) {
        for (const ProfileValue& v : profileValueNames()) {
            if (name == v.name) {
                if (const std::string wrong = v.check(value); !wrong.empty())
                    return usage("accel: " + name + ": " + wrong);
            }
        }
    }
    for (const auto& [name, value] : changes) {
        if (Status s = board->setValue(name, value); !s)
            return fail(s.error());
    }
    if (values.empty() && drift.empty()) {
        auto profile = board->profile();
        if (!profile)
            return fail(profile.error());
        const SensorBoard::Accelerometer a = SensorBoard::accelerometer(*profile);
        std::cout << grams(a.x) << " " << grams(a.y) << " " << grams(a.z) << " g, drift " << grams(a.driftG) << " g\n";
    }
    return kExitOk;
}

void showSensors(Board& board, std::ostream& out)
{
    out << "Sensors\n";
    auto profile = board.profile();
    if (!profile) {
        out << "  profile: " << profile.error() << "\n";
        return;
    }
    const SensorBoard::Accelerometer a = SensorBoard::accelerometer(*profile);
    out << "  " << std::left << std::setw(22) << "accelerometer"
        << "x " << grams(a.x) << "  y " << grams(a.y) << "  z " << grams(a.z) << " g, drift " << grams(a.driftG) << " g\n";
    if (auto sensors = SensorBoard::open(board.dir())) {
        out << "  " << std::left << std::setw(22) << "reports" << (*sensors)->reportsTaken() << ", interval "
            << (*sensors)->reportIntervalMs() << " ms\n";
    } else {
        out << "  sensor state: " << sensors.error() << "\n";
    }
    out << "  " << std::left << std::setw(22) << "CPU temperature" << SensorBoard::cpuTemperature(*profile)
        << " C (answered by Quenmark)\n";
    const bool running = serviceControlForBoard(board.dir())->openService(kQuenmark) == 0;
    out << "  " << std::left << std::setw(22) << "Quenmark service" << (running ? "running" : "not running") << "\n";
}

} // namespace

const std::vector<Command>& sensorCommands()
{
    static const std::vector<Command> commands = {
        {"accel", "accel [X Y Z] [--drift G]   (accelerometer in g; prints it without values)", true, accel},
    };
    return commands;
}

const std::vector<ShowSection>& sensorShowSections()
{
    static const std::vector<ShowSection> sections = {showSensors};
    return sections;
}

} // namespace tarvik::board::tool
