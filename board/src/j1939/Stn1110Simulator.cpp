#include "Stn1110Simulator.h"

#include "J1939Groups.h"
#include "VehicleModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tarvik::board::j1939 {

namespace {

constexpr char kCr = '\r';
constexpr char kPrompt = '>';
constexpr std::int64_t kUsPerMs = 1000;
// The broadcast divisor speeds tests up, but no faster than this: engine speed every millisecond
// would be more than a 115200-baud line carries, and the chip would end monitoring with
// "BUFFER FULL" before a busy host had taken its line.
constexpr std::int64_t kMinDividedPeriodUs = 10 * kUsPerMs;
// A receiver at the wrong baud rate mostly sees bytes with the top bit set; noise never contains
// a line end or the prompt, so the host can only run into its time limits.
constexpr unsigned kNoiseBase = 0x80;

std::optional<std::uint32_t> parseHex(std::string_view text)
{
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A' + 10);
    }
    return v;
}

bool isOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

} // namespace

Stn1110Simulator::Stn1110Simulator(VehicleSource& vehicle, std::uint64_t phaseSeed)
    : vehicle_(vehicle), phaseSeed_(phaseSeed)
{
}

void Stn1110Simulator::setBroadcastDivisor(int divisor) { divisor_ = divisor < 1 ? 1 : divisor; }

std::int64_t Stn1110Simulator::periodUs(const ParameterGroup& g) const
{
    const std::int64_t real = static_cast<std::int64_t>(g.periodMs) * kUsPerMs;
    return std::max(real / divisor_, std::min(real, kMinDividedPeriodUs));
}

std::int64_t Stn1110Simulator::phaseUs(const ParameterGroup& g) const
{
    // splitmix64 of the seed and the PGN: a fixed, unrelated point in the period for each group.
    std::uint64_t z = phaseSeed_ + 0x9E3779B97F4A7C15ull * (g.pgn + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<std::int64_t>(z % static_cast<std::uint64_t>(periodUs(g)));
}

std::optional<std::int64_t> Stn1110Simulator::nextDueUs() const
{
    if (!monitored_)
        return std::nullopt;
    return nextDueUs_;
}

std::string Stn1110Simulator::promptText() const { return eol() + kPrompt; }

std::string Stn1110Simulator::filter(std::string out, const InterpreterFaults& faults)
{
    if (faults.silent)
        return {};
    if (faults.noPrompt)
        std::erase(out, kPrompt);
    if (faults.garbage) {
        for (char& c : out) {
            // xorshift32: the same noise every run.
            noise_ ^= noise_ << 13;
            noise_ ^= noise_ >> 17;
            noise_ ^= noise_ << 5;
            c = static_cast<char>(kNoiseBase | (noise_ & 0x7F));
        }
    }
    return out;
}

std::string Stn1110Simulator::receive(std::string_view bytes, std::int64_t nowUs, const InterpreterFaults& faults)
{
    std::string out;
    for (char c : bytes) {
        if (monitored_) {
            // Any character stops monitoring and is used up by it.
            monitored_ = nullptr;
            out += promptText();
            continue;
        }
        if (settings_.echo) {
            out += c;
            if (c == kCr && settings_.linefeeds)
                out += '\n';
        }
        if (c == kCr) {
            std::string command = line_;
            const bool tooLong = lineTooLong_;
            line_.clear();
            lineTooLong_ = false;
            if (tooLong) {
                out += "?" + eol() + promptText();
                continue;
            }
            if (command.empty())
                command = lastCommand_;
            else
                lastCommand_ = command;
            out += runCommand(command, nowUs, faults);
            continue;
        }
        // Spaces and control characters are ignored, as the ELM327 does.
        if (c == ' ' || static_cast<unsigned char>(c) < 0x20)
            continue;
        if (line_.size() >= kMaxCommandLength)
            lineTooLong_ = true;
        else
            line_ += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return filter(std::move(out), faults);
}

std::string Stn1110Simulator::runCommand(const std::string& command, std::int64_t nowUs, const InterpreterFaults& faults)
{
    auto reply = [this](const std::string& text) { return text + eol() + promptText(); };
    auto flag = [&](const char* prefix, bool& setting) -> std::optional<std::string> {
        const std::string p = prefix;
        if (command.size() == p.size() + 1 && command.rfind(p, 0) == 0 && isOneOf(command.back(), "01")) {
            setting = command.back() == '1';
            return reply("OK");
        }
        return std::nullopt;
    };

    if (command.empty())
        return promptText();
    if (command == "ATZ" || command == "ATWS") {
        settings_ = Settings{};
        return eol() + eol() + reply(kIdentity);
    }
    if (command == "ATD") {
        settings_ = Settings{};
        return reply("OK");
    }
    if (command == "ATI")
        return reply(kIdentity);
    if (command == "STI")
        return reply(kStnIdentity);
    if (command == "ATRV") {
        char text[16];
        std::snprintf(text, sizeof text, "%.1fV", vehicle_.current().batteryVolts);
        return reply(text);
    }
    if (command == "ATDPN")
        return reply(std::string(1, settings_.protocol));
    if (command == "ATDP")
        return reply(settings_.protocol == 'A' ? "SAE J1939 (CAN 29/250)" : "AUTO");
    for (auto [prefix, setting] : {std::pair{"ATE", &settings_.echo}, std::pair{"ATL", &settings_.linefeeds},
                                   std::pair{"ATH", &settings_.headers}, std::pair{"ATS", &settings_.spaces},
                                   std::pair{"ATCAF", &settings_.autoFormat}}) {
        if (auto r = flag(prefix, *setting))
            return *r;
    }
    if (command.size() == 5 && command.rfind("ATSP", 0) == 0 && isOneOf(command[4], "0123456789ABC")) {
        settings_.protocol = command[4];
        return reply("OK");
    }
    if (command.size() == 6 && command.rfind("STCMM", 0) == 0 && isOneOf(command[5], "012")) {
        settings_.monitorMode = command[5] - '0';
        return reply("OK");
    }
    if (command.rfind("ATMP", 0) == 0 && (command.size() == 8 || command.size() == 10)) {
        if (const auto pgn = parseHex(std::string_view(command).substr(4)))
            return startMonitoring(*pgn, nowUs, faults);
    }
    return reply("?");
}

std::string Stn1110Simulator::startMonitoring(std::uint32_t pgn, std::int64_t nowUs, const InterpreterFaults& faults)
{
    if (!faults.statusLine.empty())
        return faults.statusLine + eol() + promptText();
    // A group the vehicle does not send is monitored all the same: nothing is printed until a
    // character stops it.
    monitored_ = findParameterGroup(pgn);
    static const ParameterGroup kNothing{0, "", 0, 0, 0, nullptr};
    if (!monitored_) {
        monitored_ = &kNothing;
        nextDueUs_ = INT64_MAX;
        return {};
    }
    const std::int64_t period = periodUs(*monitored_);
    const std::int64_t phase = phaseUs(*monitored_);
    const std::int64_t elapsed = nowUs - phase;
    const std::int64_t periods = elapsed <= 0 ? 0 : (elapsed + period - 1) / period;
    nextDueUs_ = phase + periods * period;
    if (nextDueUs_ <= nowUs)
        nextDueUs_ += period;
    return {};
}

std::string Stn1110Simulator::dataLine(const ParameterGroup& g)
{
    const auto data = g.encode(vehicle_.current());
    const char* sep = settings_.spaces ? " " : "";
    std::string line;
    char field[16];
    if (settings_.headers) {
        std::snprintf(field, sizeof field, "%X%s%05X%s%02X", g.priority, sep, g.pgn, sep, g.sourceAddress);
        line = field;
    }
    for (std::uint8_t b : data) {
        std::snprintf(field, sizeof field, "%02X", b);
        if (!line.empty())
            line += sep;
        line += field;
    }
    return line + eol();
}

std::string Stn1110Simulator::tick(std::int64_t nowUs, const InterpreterFaults& faults)
{
    if (!monitored_ || !monitored_->encode || nowUs < nextDueUs_)
        return {};
    // One line per call: frames the chip was too late for are lost, as on a busy bus.
    const std::int64_t period = periodUs(*monitored_);
    const std::int64_t missed = (nowUs - nextDueUs_) / period;
    nextDueUs_ += (missed + 1) * period;
    return filter(dataLine(*monitored_), faults);
}

std::string Stn1110Simulator::bufferFull(const InterpreterFaults& faults)
{
    if (!monitored_)
        return {};
    monitored_ = nullptr;
    return filter("BUFFER FULL" + eol() + promptText(), faults);
}

} // namespace tarvik::board::j1939
