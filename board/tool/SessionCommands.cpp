// The login manager's commands (suspend and resume the board's machine) and its part of `show`:
// what the control panel asked of the operating system.
#include "SessionBoard.h"
#include "ToolCommands.h"

#include <ctime>
#include <iostream>

namespace tarvik::board::tool {

namespace {

// logind's default InhibitDelayMaxSec.
constexpr std::chrono::milliseconds kMaxSleepDelay{5000};
constexpr std::int64_t kUnitsPerSecond = 10'000'000;

std::string localTime(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %Z", &local);
    return text;
}

int sleepCommand(bool start, const std::string& dir, const std::vector<std::string>& args)
{
    if (!args.empty())
        return usage(start ? "suspend takes no arguments" : "resume takes no arguments");
    auto session = SessionBoard::open(dir);
    if (!session)
        return fail(session.error());
    auto events = start ? (*session)->suspend(kMaxSleepDelay) : (*session)->resume();
    if (!events)
        return fail(events.error());
    for (const std::string& line : *events)
        std::cout << line << "\n";
    return kExitOk;
}

int suspend(Board*, const std::string& dir, const std::vector<std::string>& args) { return sleepCommand(true, dir, args); }
int resume(Board*, const std::string& dir, const std::vector<std::string>& args) { return sleepCommand(false, dir, args); }

void showSession(Board& board, std::ostream& out)
{
    out << "Login manager (" << SessionState::kFileName << ")\n";
    auto opened = SessionBoard::open(board.dir());
    if (!opened) {
        out << "  " << opened.error() << "\n";
        return;
    }
    SessionBoard& session = **opened;
    const std::vector<SessionInhibitor> locks = session.liveInhibitors();
    const SessionState s = session.memory().locked([](SessionState& st) { return st; });
    out << "  Machine: " << (s.sleeping ? "suspended" : "running") << " (suspends " << s.suspends << ", resumes "
        << s.resumes << ")\n";
    out << "  Power-off requests: " << s.powerOffRequests;
    if (s.powerOffRequests)
        out << ", last " << localTime(s.lastPowerOff);
    out << "\n  Wake timer: ";
    if (s.wakeTimerDue)
        out << "armed for " << localTime(s.wakeTimerDue / kUnitsPerSecond) << " (armed " << s.wakeTimerArms
            << " times)\n";
    else
        out << "not armed\n";
    out << "  Inhibitors:";
    if (locks.empty())
        out << " none";
    out << "\n";
    for (const SessionInhibitor& lock : locks)
        out << "    " << lock.what << " " << lock.mode << " by " << lock.who << " (pid " << lock.pid << ")\n";
}

} // namespace

const std::vector<Command>& sessionCommands()
{
    static const std::vector<Command> commands = {
        {"suspend", "suspend                  (the machine goes to sleep: the sleep signal, then up to 5 s for delay locks)",
         true, suspend},
        {"resume", "resume                   (the machine wakes: the wake signal)", true, resume},
    };
    return commands;
}

const std::vector<ShowSection>& sessionShowSections()
{
    static const std::vector<ShowSection> sections = {showSession};
    return sections;
}

} // namespace tarvik::board::tool
