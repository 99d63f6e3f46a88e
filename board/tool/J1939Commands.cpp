// The J1939 interpreter's part of tarvik-board: the peer that `serve` runs and the vehicle's
// values in `show`.
#include "J1939Commands.h"

#include "J1939Interpreter.h"
#include "VehicleModel.h"

#include <cstdio>
#include <iostream>

namespace tarvik::board::tool {

namespace {

bool runInterpreter(Board& board, const std::string&, const std::atomic<bool>& stop)
{
    std::string error;
    if (serveJ1939Interpreter(board, stop, error))
        return true;
    std::cerr << "tarvik-board: j1939: " << error << "\n";
    return false;
}

void showVehicle(Board& board, std::ostream& out)
{
    auto profile = board.profile();
    const auto port = profile ? j1939InterpreterPort(*profile) : std::nullopt;
    out << "Vehicle (J1939 interpreter " << (port ? "on COM" + std::to_string(*port) : std::string("not fitted"))
        << ")\n";
    auto model = VehicleModel::open(board.dir());
    if (!model) {
        out << "  " << model.error() << "\n";
        return;
    }
    auto v = (*model)->now();
    if (!v) {
        out << "  " << v.error() << "\n";
        return;
    }
    auto celsius = [](const std::optional<int>& t) { return t ? std::to_string(*t) + " C" : std::string("none"); };
    char text[512];
    std::snprintf(text, sizeof text,
                  "  engine speed %.1f rpm, road speed %.2f km/h, tachograph speed %.2f km/h\n"
                  "  odometer %.3f km, trip %.3f km, fuel used %.2f l, trip idle time %.3f h\n"
                  "  battery %.2f V, coolant %s, fuel %s\n",
                  v->engineSpeedRpm, v->roadSpeedKmh, v->tachographSpeedKmh, v->odometerKm, v->tripDistanceKm,
                  v->fuelUsedLitres, v->tripIdleHours, v->batteryVolts, celsius(v->coolantCelsius).c_str(),
                  celsius(v->fuelCelsius).c_str());
    out << text;
}

} // namespace

const std::vector<Service>& j1939Services()
{
    static const std::vector<Service> services = {{"j1939", runInterpreter}};
    return services;
}

const std::vector<ShowSection>& j1939ShowSections()
{
    static const std::vector<ShowSection> sections = {showVehicle};
    return sections;
}

} // namespace tarvik::board::tool
