// The simulated GPS receiver in tarvik-board: `serve gps` and the "GPS receiver" section of show.
#include "GpsCommands.h"

#include "GpsReceiverPeer.h"
#include "GpsReceiverSettings.h"

#include <cstring>
#include <iomanip>
#include <unistd.h>

namespace tarvik::board::tool {

namespace {

// "  route start           ": the labels' column.
constexpr int kLabelWidth = 24;
constexpr int kNoPort = -1;

bool serveGps(Board& board, const std::string&, const std::atomic<bool>& stop)
{
    return GpsReceiverPeer(board).run(stop);
}

void showGps(Board& board, std::ostream& out)
{
    auto profile = board.profile();
    const gps::GpsReceiverSettings s = profile ? gps::GpsReceiverSettings::from([&](const std::string& name) {
        return profile->get("gps", name);
    })
                                               : gps::GpsReceiverSettings{};
    const int port = profile ? gpsReceiverPort(*profile).value_or(kNoPort) : kNoPort;
    out << "GPS receiver\n";
    if (port != kNoPort) {
        const std::string link = board.dir() + "/COM" + std::to_string(port);
        char target[256] = {};
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        out << std::left << std::setw(kLabelWidth) << "  COM" + std::to_string(port) << std::right;
        if (n > 0 && access(link.c_str(), F_OK) == 0)
            out << "linked to " << std::string(target, static_cast<std::size_t>(n)) << " (served)\n";
        else
            out << "not served (tarvik-board serve gps)\n";
    } else {
        out << "  no port               the device list has no " << kGpsReceiverDevice << "\n";
    }
    out << "  line                  " << s.baud << " baud, " << s.updateRate << " fix/s, talker " << s.talker << "\n";
    out << std::fixed << std::setprecision(6);
    out << "  route start           " << std::abs(s.latitude) << (s.latitude < 0 ? " S  " : " N  ") << std::abs(s.longitude)
        << (s.longitude < 0 ? " W" : " E") << std::setprecision(1) << ", " << s.altitude << " m, " << s.speedKmh << " km/h\n";
    out << "  fix quality           " << s.fixQuality << ", " << s.satellites << " satellites in use\n";
    out.unsetf(std::ios::floatfield);
}

} // namespace

const std::vector<Service>& gpsServices()
{
    static const std::vector<Service> services = {{"gps", serveGps}};
    return services;
}

const std::vector<ShowSection>& gpsShowSections()
{
    static const std::vector<ShowSection> sections = {showGps};
    return sections;
}

} // namespace tarvik::board::tool
